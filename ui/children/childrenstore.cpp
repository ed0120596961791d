// Where the children's page keeps the table: results.db on this computer or
// the school's server, the teacher's choice between them and the bar that
// shows it.
#include "ui/children/childrenpage.h"

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

void ChildrenPage::openTable(const QString &resultsPath, const QString &dataDir)
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
    const Result opened = Table1->open(resultsPath);
    showStore();
    raiseIfFailed(opened);
}

void ChildrenPage::openServer(const QString &service)
{
    auto store = std::make_unique<ServerStore>(service, QDir(m_dataDir).filePath(StoreChoice::outboxFileName()));
    store->setRetryInterval(m_retryMs);
    const Result opened = store->open();
    if (!opened)
        throw QuizError(QStringLiteral("تعذر فتح ملف الإجابات المنتظرة لخادم المدرسة «%1»: %2")
                            .arg(Bidi::path(QDir::toNativeSeparators(QDir(m_dataDir).filePath(StoreChoice::outboxFileName()))),
                                 opened.text));
    connect(store.get(), &ResultsStore::stateChanged, this, &ChildrenPage::showStore);
    raiseIfFailed(Table1->openStore(std::move(store)));
    showStore();
}

QString ChildrenPage::currentService() const
{
    const auto *server = qobject_cast<const ServerStore *>(Table1->store());
    return server ? server->service() : QString();
}

bool ChildrenPage::isShared() const
{
    return qobject_cast<const ServerStore *>(Table1->store()) != nullptr;
}

// The teachers' login is not kept on the computers the children use: its
// password is typed for each reset or deletion, used for that one
// connection and dropped, whatever came of it.
void ChildrenPage::asTeacher(const std::function<Result()> &operation)
{
    auto *server = qobject_cast<ServerStore *>(Table1->store());
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

void ChildrenPage::chooseServer()
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
    } catch (const QuizError &) {
        // Back to where the table was, so that the game still counts.
        if (current.isEmpty()) {
            Table1->open(m_resultsPath);
        } else {
            try {
                openServer(current);
            } catch (const QuizError &) {
            }
        }
        showStore();
        throw;
    }
    const Result kept = StoreChoice::write(m_dataDir, service);
    if (!kept)
        throw QuizError(QStringLiteral("تُحفظ النتائج الآن على خادم المدرسة، لكن تعذر حفظ هذا الاختيار "
                                       "للمرة القادمة: %1").arg(kept.text));
    m_dialogs.showMessage(QStringLiteral("تُحفظ نتائج الأطفال الآن على خادم المدرسة «%1»، "
                                         "ويراها كل جهاز متصل به.").arg(Bidi::word(service)));
}

void ChildrenPage::chooseLocalFile()
{
    if (currentService().isEmpty() && Table1->isOpen())
        return;
    const Result opened = Table1->open(m_resultsPath);
    showStore();
    raiseIfFailed(opened);
    const Result kept = StoreChoice::write(m_dataDir, QString());
    if (!kept)
        throw QuizError(QStringLiteral("تُحفظ النتائج الآن في ملف هذا الجهاز، لكن تعذر حفظ هذا الاختيار "
                                       "للمرة القادمة: %1").arg(kept.text));
}

QString ChildrenPage::storeStateText() const
{
    const auto *server = qobject_cast<const ServerStore *>(Table1->store());
    return server ? server->stateText() : QString();
}

QString ChildrenPage::storeProblem() const
{
    const auto *server = qobject_cast<const ServerStore *>(Table1->store());
    return server ? server->problem() : QString();
}

void ChildrenPage::buildStoreBar()
{
    StoreBar = new QWidget(this);
    StoreBar->setObjectName(QStringLiteral("StoreBar"));
    auto *row = new QHBoxLayout(StoreBar);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(4);
    StoreLbl = new QLabel(StoreBar);
    StoreLbl->setObjectName(QStringLiteral("StoreLbl"));
    StoreLbl->setWordWrap(true);
    StoreLbl->setTextFormat(Qt::PlainText); // the server's name and words
    ServerBtn = new QPushButton(QStringLiteral("خادم المدرسة…"), StoreBar);
    ServerBtn->setObjectName(QStringLiteral("ServerBtn"));
    ServerBtn->setToolTip(QStringLiteral("حفظ النتائج على خادم المدرسة ليراها كل جهاز في المدرسة"));
    LocalBtn = new QPushButton(QStringLiteral("ملف هذا الجهاز"), StoreBar);
    LocalBtn->setObjectName(QStringLiteral("LocalBtn"));
    LocalBtn->setToolTip(QStringLiteral("حفظ النتائج في الملف results.db على هذا الجهاز"));
    row->addWidget(StoreLbl, 1);
    row->addWidget(ServerBtn);
    row->addWidget(LocalBtn);
    connect(ServerBtn, &QPushButton::clicked, this, [this] { run([this] { chooseServer(); }); });
    connect(LocalBtn, &QPushButton::clicked, this, [this] { run([this] { chooseLocalFile(); }); });
    showStore();
}

void ChildrenPage::showStore()
{
    const auto *server = qobject_cast<const ServerStore *>(Table1->store());
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
    emit storeStateChanged();
}
