#include "ui/children/storebar.h"

#include "core/base/bidi.h"
#include "core/base/plaintext.h"
#include "core/base/quizerror.h"
#include "core/records/resultstable.h"
#include "core/records/schoolserver.h"
#include "core/records/serverstore.h"
#include "core/records/storechoice.h"
#include "ui/children/waitcursor.h"
#include "ui/dialogs/dialogs.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

StoreBar::StoreBar(ResultsTable &table, Dialogs &dialogs, Runner run, QWidget *parent)
    : QWidget(parent), m_table(table), m_dialogs(dialogs), m_run(std::move(run))
{
    setObjectName(QStringLiteral("StoreBar"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(4);
    StoreLbl = new QLabel(this);
    StoreLbl->setObjectName(QStringLiteral("StoreLbl"));
    StoreLbl->setWordWrap(true);
    StoreLbl->setTextFormat(Qt::PlainText); // the server's name and words
    ServerBtn = new QPushButton(QStringLiteral("خادم المدرسة…"), this);
    ServerBtn->setObjectName(QStringLiteral("ServerBtn"));
    ServerBtn->setToolTip(QStringLiteral("حفظ النتائج على خادم المدرسة ليراها كل جهاز في المدرسة"));
    LocalBtn = new QPushButton(QStringLiteral("ملف هذا الجهاز"), this);
    LocalBtn->setObjectName(QStringLiteral("LocalBtn"));
    LocalBtn->setToolTip(QStringLiteral("حفظ النتائج في الملف results.db على هذا الجهاز"));
    row->addWidget(StoreLbl, 1);
    row->addWidget(ServerBtn);
    row->addWidget(LocalBtn);
    connect(ServerBtn, &QPushButton::clicked, this, [this] { m_run([this] { chooseServer(); }); });
    connect(LocalBtn, &QPushButton::clicked, this, [this] { m_run([this] { chooseLocalFile(); }); });
    showStore();
}

void StoreBar::openTable(const QString &resultsPath, const QString &dataDir)
{
    m_resultsPath = resultsPath;
    m_dataDir = dataDir;
    const QString service = StoreChoice::read(dataDir);
    // Every settings load opens the table; opening the server again would
    // put the first child back where the teacher chose another.
    if (!service.isEmpty() && service == currentService())
        return;
    if (!service.isEmpty()) {
        try {
            openServer(service);
            return;
        } catch (const QuizError &error) {
            // The game goes on with the file on this computer; the teacher
            // is told why, once.
            m_dialogs.showMessage(QStringLiteral("%1\n\rتُحفظ النتائج الآن في ملف هذا الجهاز results.db.")
                                      .arg(error.text()));
        }
    }
    const Result opened = m_table.open(resultsPath);
    showStore();
    raiseIfFailed(opened);
}

void StoreBar::openServer(const QString &service)
{
    auto store = std::make_unique<ServerStore>(service, QDir(m_dataDir).filePath(StoreChoice::outboxFileName()));
    store->setRetryInterval(m_retryMs);
    const Result opened = store->open();
    if (!opened)
        throw QuizError(QStringLiteral("تعذر فتح ملف الإجابات المنتظرة لخادم المدرسة «%1»: %2")
                            .arg(Bidi::path(QDir::toNativeSeparators(QDir(m_dataDir).filePath(StoreChoice::outboxFileName()))),
                                 opened.text));
    connect(store.get(), &ResultsStore::stateChanged, this, &StoreBar::showStore);
    raiseIfFailed(m_table.openStore(std::move(store)));
    showStore();
}

QString StoreBar::currentService() const
{
    const auto *server = qobject_cast<const ServerStore *>(m_table.store());
    return server ? server->service() : QString();
}

bool StoreBar::isShared() const
{
    return qobject_cast<const ServerStore *>(m_table.store()) != nullptr;
}

// The teachers' login is not kept on the computers the children use: its
// password is typed for each reset or deletion, used for that one
// connection and dropped, whatever came of it.
void StoreBar::asTeacher(const std::function<Result()> &operation)
{
    auto *server = qobject_cast<ServerStore *>(m_table.store());
    if (!server)
        return;
    std::optional<QString> password = m_dialogs.askPassword(
        QStringLiteral("خادم المدرسة"),
        QStringLiteral("كلمة مرور حساب المعلمين على خادم المدرسة (خدمة الاتصال %1):")
            .arg(Bidi::word(SchoolServer::teacherService(server->service()))));
    if (!password || password->isEmpty())
        return;
    server->setTeacherPassword(*password);
    password->fill(QLatin1Char(' '));
    password.reset();
    Result done = Result::failure(QString());
    {
        const WaitCursor wait;
        done = operation();
    }
    server->forgetTeacherPassword();
    raiseIfFailed(done);
}

void StoreBar::chooseServer()
{
    const QString current = currentService();
    const std::optional<QString> answer = m_dialogs.askText(
        QStringLiteral("خادم المدرسة"),
        QStringLiteral("اسم خدمة الاتصال بخادم المدرسة (كما في ملف pg_service.conf):"),
        current.isEmpty() ? StoreChoice::read(m_dataDir) : current);
    const QString service = answer ? answer->trimmed() : QString();
    if (service.isEmpty())
        return;
    if (!SchoolServer::validService(service))
        throw QuizError(SchoolServer::invalidServiceText(service));
    {
        // The teacher learns at once whether the name, the password and the
        // server are right; the table stays where it is until then.
        const WaitCursor wait;
        const Result reached = ServerStore::probe(service);
        if (!reached)
            throw QuizError(QStringLiteral("تعذر الاتصال بخادم المدرسة «%1»: %2").arg(Bidi::word(service), reached.text));
    }
    try {
        openServer(service);
    } catch (const QuizError &error) {
        // Back to where the table was, so that the game still counts; where
        // even that fails the teacher learns it with the first reason.
        QString text = error.text();
        if (current.isEmpty()) {
            const Result back = m_table.open(m_resultsPath);
            if (!back)
                text += QStringLiteral("\n\r") + back.text;
        } else {
            try {
                openServer(current);
            } catch (const QuizError &back) {
                text += QStringLiteral("\n\r") + back.text();
            }
        }
        showStore();
        throw QuizError(text);
    }
    const Result kept = StoreChoice::write(m_dataDir, service);
    if (!kept)
        throw QuizError(QStringLiteral("تُحفظ النتائج الآن على خادم المدرسة، لكن تعذر حفظ هذا الاختيار "
                                       "للمرة القادمة: %1").arg(kept.text));
    m_dialogs.showMessage(QStringLiteral("تُحفظ نتائج الأطفال الآن على خادم المدرسة «%1»، "
                                         "ويراها كل جهاز متصل به.").arg(Bidi::word(service)));
}

void StoreBar::chooseLocalFile()
{
    if (currentService().isEmpty() && m_table.isOpen())
        return;
    const Result opened = m_table.open(m_resultsPath);
    showStore();
    raiseIfFailed(opened);
    const Result kept = StoreChoice::write(m_dataDir, QString());
    if (!kept)
        throw QuizError(QStringLiteral("تُحفظ النتائج الآن في ملف هذا الجهاز، لكن تعذر حفظ هذا الاختيار "
                                       "للمرة القادمة: %1").arg(kept.text));
}

QString StoreBar::stateText() const
{
    const auto *server = qobject_cast<const ServerStore *>(m_table.store());
    return server ? server->stateText() : QString();
}

QString StoreBar::problem() const
{
    const auto *server = qobject_cast<const ServerStore *>(m_table.store());
    return server ? server->problem() : QString();
}

void StoreBar::showStore()
{
    const auto *server = qobject_cast<const ServerStore *>(m_table.store());
    if (!server) {
        StoreLbl->setText(QStringLiteral("تُحفظ النتائج في ملف هذا الجهاز results.db"));
        StoreLbl->setToolTip(QString());
    } else {
        const int waiting = server->waiting();
        QString state = server->online() ? QStringLiteral("متصل")
                                          : QStringLiteral("غير متاح الآن: %1").arg(server->problem());
        if (waiting > 0)
            state += QStringLiteral("؛ إجابات تنتظر الإرسال: %L1").arg(waiting);
        StoreLbl->setText(QStringLiteral("تُحفظ النتائج على خادم المدرسة «%1» (%2)").arg(Bidi::word(server->service()), state));
        StoreLbl->setToolTip(PlainText::toolTip(server->problem()));
    }
    LocalBtn->setEnabled(server != nullptr);
    emit stateChanged();
}
