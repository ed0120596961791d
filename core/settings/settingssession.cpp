#include "core/settings/settingssession.h"

#include "core/base/atomicfile.h"

#include "core/base/appdir.h"
#include "core/base/filelookup.h"
#include "core/base/plaintext.h"
#include "core/settings/currentlessonfile.h"

#include <QFileInfo>

#include <utility>

SettingsSession::SettingsSession(Environment environment) : m_environment(std::move(environment))
{
}

QString SettingsSession::locate()
{
    m_appDir = deriveAppDir(m_environment.programFile);
    QString message;
    // Once per run: the user's folder is made and filled at most once, and
    // a folder that cannot be used is told once.
    if (!std::exchange(m_located, true)) {
        m_location = DataLocation::settle(m_appDir, m_environment.userDataDir, m_environment.canWrite);
        message = m_location.message;
    }
    m_lessons = LessonLibrary(dataDir());
    return message;
}

QString SettingsSession::dataDir() const
{
    return FileLookup::inFolder(dataRoot(), QStringLiteral("Data"));
}

QString SettingsSession::optionsFile() const
{
    return FileLookup::inFolder(dataDir(), OptionsFile::fileName());
}

QString SettingsSession::resultsFile() const
{
    return FileLookup::inFolder(dataRoot(), QStringLiteral("results.db"));
}

QString SettingsSession::helpPage() const
{
    // The help page belongs to the program, not to the user's data.
    return FileLookup::inFolder(m_appDir, QStringLiteral("help.htm"));
}

namespace {

// The texts of a file copied in from elsewhere reach the panels, the chart
// and the file written back: only as characters a field may hold.
void cleanTexts(OptionsValues *v)
{
    for (QString *text : {&v->fontName, &v->text1, &v->text2, &v->text3})
        *text = PlainText::cleanText(*text, OptionsValues::TextLength);
}

} // namespace

QString SettingsSession::storedLessonName() const
{
    const std::optional<QString> name = CurrentLessonFile::read(dataDir());
    if (!name)
        return LessonLibrary::automaticName();
    return PlainText::cleanText(*name, LessonLibrary::NameLength);
}

std::optional<OptionsRead> SettingsSession::readLesson(const QString &name) const
{
    return readLesson(m_lessons, name);
}

std::optional<OptionsRead> SettingsSession::readLesson(const LessonLibrary &lessons, const QString &name)
{
    const std::optional<QString> path = lessons.optionsPathFor(name);
    OptionsRead read;
    if (!path || !OptionsFile::load(*path, &read))
        return std::nullopt;
    cleanTexts(&read.values);
    return read;
}

Result SettingsSession::readAutomatic(OptionsRead *read) const
{
    const Result loaded = OptionsFile::load(optionsFile(), read);
    cleanTexts(&read->values);
    return loaded;
}

QString SettingsSession::fallbackText()
{
    return QStringLiteral(u"خطأ في الملفات. سيتم اختيار الوضع التلقائي.\n\r"
                          u"اذا استمر الخطأ قم بإعادة تنصيب البرنامج");
}

Result SettingsSession::writeCurrentLesson(const QString &name) const
{
    if (!mayWrite())
        return Result::success();
    return CurrentLessonFile::write(dataDir(), name);
}

Result SettingsSession::save(const QString &lesson, const OptionsValues &values) const
{
    if (!mayWrite())
        return Result::success();
    // A file that could not be read is not overwritten, so that what it
    // holds is not lost; a link leading elsewhere was not read and holds
    // nothing of this folder: the save puts a file of its own in its place.
    if (!m_applied && QFileInfo::exists(optionsFile()) && !AtomicFile::leadsOutOfItsFolder(optionsFile()))
        return Result::success();
    const Result written = CurrentLessonFile::write(dataDir(), lesson);
    if (!written)
        return written;
    return OptionsFile::save(optionsFile(), values);
}

int SettingsSession::usableFontSize(int points)
{
    return points >= 1 && points <= MaxFontPoints ? points : OptionsValues::DefaultFontSize;
}

int SettingsSession::fontPoints(const QFont &font)
{
    if (font.pointSize() > 0)
        return font.pointSize();
    return qMax(1, qRound(font.pixelSize() * 72.0 / 96.0));
}
