// Lessons that travel: the export and import of a lesson as one file, the
// pictures a lesson keeps in its own folder and how they are drawn, and
// named lessons that play their own clips and keep their own settings.
#include "ui/window/tform1.h"

#include "core/base/atomicfile.h"
#include "core/base/bidi.h"
#include "core/base/filelookup.h"
#include "core/base/quizerror.h"
#include "core/settings/lessonarchive.h"
#include "core/settings/lessonlibrary.h"
#include "core/settings/lessonpictures.h"
#include "core/settings/optionsfile.h"
#include "ui/lessons/lessonactions.h"
#include "ui/lessons/lessonlist.h"
#include "ui/lessons/lessontransfer.h"
#include "ui/window/optionspage.h"
#include "ui/window/picturecontrol.h"
#include "ui/window/playarea.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>

#include <utility>

void TForm1::bindLessonActions()
{
    m_lessonActions = new LessonActions(TabSheet1->lessonArea());
    connect(m_lessonActions->exportAction(), &QAction::triggered, this, [this] { guarded([this] { ExportLessonClick(); }); });
    connect(m_lessonActions->importAction(), &QAction::triggered, this, [this] { guarded([this] { ImportLessonClick(); }); });
    connect(m_lessonActions->selfContainedAction(), &QAction::triggered, this,
            [this] { guarded([this] { SelfContainedClick(); }); });
    connect(TabSheet1->FitChk, &QCheckBox::clicked, this, [this] { guarded([this] { FitChkClick(); }); });
}

QString TForm1::currentLessonDir() const
{
    const QString name = TabSheet1->CurLesson->text();
    if (name != LessonLibrary::automaticName() && !name.isEmpty()) {
        if (const std::optional<QString> options = m_settings.lessons().optionsPathFor(name)) {
            const QFileInfo folder(QFileInfo(*options).absolutePath());
            if (folder.isDir())
                return folder.absoluteFilePath();
        }
    }
    return m_settings.dataDir();
}

bool TForm1::selfContainedLessons() const
{
    return m_lessonActions && m_lessonActions->selfContainedAction()->isChecked();
}

// Run by each load, once the lesson's options are in the controls.
void TForm1::applyLessonChoices()
{
    {
        const QSignalBlocker block(m_lessonActions->selfContainedAction());
        m_lessonActions->selfContainedAction()->setChecked(LessonPictures::selfContained(m_settings.dataDir()));
    }
    TabSheet1->FitChk->setChecked(LessonPictures::fitsPictures(currentLessonDir()));
    FitChkClick();
    m_lessonLoaded = true;
}

void TForm1::FitChkClick()
{
    const bool fit = TabSheet1->FitChk->isChecked();
    for (PictureControl *image : {Panel4->Image1, Panel4->Image2, Panel4->Image3})
        image->setFit(fit);
    // Kept with the lesson at once: a lesson's look is not a setting that
    // waits for the exit.
    if (m_lessonLoaded && m_settings.mayWrite() && fit != LessonPictures::fitsPictures(currentLessonDir()))
        raiseIfFailed(LessonPictures::setFitsPictures(currentLessonDir(), fit));
}

void TForm1::SelfContainedClick()
{
    // Only the choice's own file is written: no lesson changes by it.
    const bool on = m_lessonActions->selfContainedAction()->isChecked();
    if (!m_settings.mayWrite())
        return;
    raiseIfFailed(LessonPictures::setSelfContained(m_settings.dataDir(), on));
    SetupMediaFiles();
}

Result TForm1::keepPicture(const QString &source, QString *stored) const
{
    QSize screenSize(1920, 1080);
    if (const QScreen *s = screen())
        screenSize = (QSizeF(s->size()) * s->devicePixelRatio()).toSize();
    return LessonPictures::keep(source, currentLessonDir() + QLatin1Char('/') + LessonArchive::picturesFolder(),
                                screenSize, stored);
}

void TForm1::ExportLessonClick()
{
    std::optional<QString> name = m_lessons->selectedName();
    if (!name)
        name = TabSheet1->CurLesson->text();
    const bool current = *name == TabSheet1->CurLesson->text();
    // The lesson as the teacher sees it now, where the settings reach it.
    if (current && (*name == LessonLibrary::automaticName() || selfContainedLessons()))
        SaveOptions();
    QString folder = m_settings.dataDir();
    if (*name != LessonLibrary::automaticName()) {
        const std::optional<QString> options = m_settings.lessons().optionsPathFor(*name);
        if (!options || !QFileInfo(QFileInfo(*options).absolutePath()).isDir()) {
            m_dialogs->showMessage(QStringLiteral(u"الدرس غير موجود"));
            return;
        }
        folder = QFileInfo(*options).absolutePath();
    }
    LessonTransfer::exportLesson(*m_dialogs, folder, *name, QDir::homePath());
}

void TForm1::ImportLessonClick(const QString &zipPath)
{
    if (!m_settings.mayWrite()) {
        m_dialogs->showMessage(LessonArchive::refusedText(QStringLiteral(u"لا يمكن الكتابة في مجلد البيانات")));
        return;
    }
    if (const std::optional<QString> name =
            LessonTransfer::importLesson(*m_dialogs, m_settings.lessons(), QDir::homePath(), zipPath)) {
        m_lessons->refresh();
        m_dialogs->showMessage(QStringLiteral(u"تم استيراد الدرس ") + Bidi::word(*name));
    }
}

Result TForm1::saveIntoOwnLesson() const
{
    const QString name = TabSheet1->CurLesson->text();
    if (!selfContainedLessons() || !m_lessonLoaded || name == LessonLibrary::automaticName() || name.isEmpty())
        return Result::success();
    const std::optional<QString> options = m_settings.lessons().optionsPathFor(name);
    // A lesson gone meanwhile is not made again by a save.
    if (!options || !QFileInfo(QFileInfo(*options).absolutePath()).isDir())
        return Result::success();
    return OptionsFile::save(*options, collectOptions());
}

void TForm1::offerLessonFile(const QString &path)
{
    m_offeredLessonFile = QFileInfo(path).absoluteFilePath();
    if (m_shown && !m_inFirstShow)
        QTimer::singleShot(0, this, [this] { guarded([this] { askToImportOffered(); }); });
}

void TForm1::askToImportOffered()
{
    const QString path = std::exchange(m_offeredLessonFile, QString());
    if (path.isEmpty())
        return;
    if (m_dialogs->confirm(QStringLiteral(u"هل تريد استيراد الدرس من الملف\n\r") + Bidi::path(path)))
        ImportLessonClick(path);
}

void TForm1::carryOwnFiles(const QString &newLesson)
{
    const QString from = currentLessonDir();
    if (!selfContainedLessons() || from == m_settings.dataDir())
        return;
    const std::optional<QString> options = m_settings.lessons().optionsPathFor(newLesson);
    if (!options)
        return;
    const QString to = QFileInfo(*options).absolutePath();
    if (QFileInfo(to).canonicalFilePath() == QFileInfo(from).canonicalFilePath())
        return;
    const QFileInfoList files = QDir(from).entryInfoList(QDir::Files | QDir::NoSymLinks);
    for (const QFileInfo &file : files) {
        if (!file.isFile() || !LessonArchive::isLessonFileName(file.fileName())
            || file.fileName().compare(OptionsFile::fileName(), Qt::CaseInsensitive) == 0)
            continue;
        raiseIfFailed(AtomicFile::copyReplacing(file.absoluteFilePath(), FileLookup::inFolder(to, file.fileName())));
    }
}
