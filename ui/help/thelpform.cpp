#include "ui/help/thelpform.h"

#include <QFileInfo>
#include <QImage>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// A page's pictures and links are read only where the page itself lies, only
// from plain files and only up to a size: a page replaced by another cannot
// make the window read a device, a pipe or a file elsewhere on the computer.
class HelpBrowser : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;
    static constexpr qint64 MaxResourceBytes = 16 * 1024 * 1024;
    /// The canonical folder of the help page.
    QString folder;

    QVariant loadResource(int type, const QUrl &name) override
    {
        const QUrl url = source().isValid() ? source().resolved(name) : name;
        const QFileInfo info(url.isLocalFile() ? url.toLocalFile() : QString());
        const QString canonical = info.canonicalFilePath();
        if (folder.isEmpty() || canonical.isEmpty() || !info.isFile() || info.size() > MaxResourceBytes
            || !canonical.startsWith(folder + QLatin1Char('/')))
            return refused(type);
        return QTextBrowser::loadResource(type, QUrl::fromLocalFile(canonical));
    }

private:
    // Something rather than nothing: where nothing comes back, the page's
    // document goes and reads the name itself.
    static QVariant refused(int type)
    {
        if (type == QTextDocument::ImageResource) {
            QImage none(1, 1, QImage::Format_ARGB32);
            none.fill(Qt::transparent);
            return none;
        }
        if (type == QTextDocument::HtmlResource)
            return QStringLiteral("<html><body><p>لا تُفتح من صفحة المساعدة إلا الملفات التي بجانبها.</p></body></html>");
        return QStringLiteral(" ");
    }
};

} // namespace

THelpForm::THelpForm(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("HelpForm"));
    setLayoutDirection(Qt::RightToLeft);
    // The restored size; the window is shown maximised.
    setGeometry(192, 114, 870, 500);
    // An open help window must not keep the program alive once the main
    // window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    WebBrowser1 = new HelpBrowser(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    // Links inside the page are followed; nothing leaves the program.
    WebBrowser1->setOpenExternalLinks(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(WebBrowser1);
}

void THelpForm::loadPage(const QString &filePath)
{
    if (m_loaded)
        return;
    m_loaded = true;
    const QFileInfo info(filePath);
    if (!info.isFile() || !info.isReadable()) {
        WebBrowser1->setHtml(missingPageHtml(filePath));
        return;
    }
    static_cast<HelpBrowser *>(WebBrowser1)->folder = info.canonicalPath();
    WebBrowser1->setSource(QUrl::fromLocalFile(info.absoluteFilePath()),
                           QTextDocument::HtmlResource);
    WebBrowser1->clearHistory();
}

void THelpForm::showHelp()
{
    showMaximized();
    raise();
    activateWindow();
}

QString THelpForm::missingPageHtml(const QString &filePath)
{
    return QStringLiteral(
               "<html dir=\"rtl\"><body>"
               "<h2>لم يُعثر على ملف المساعدة</h2>"
               "<p>كان يجب أن تكون صفحة المساعدة في الملف:</p>"
               "<p dir=\"ltr\"><code>%1</code></p>"
               "<p>أعد تثبيت البرنامج أو انسخ الملف help.htm إلى مجلد البرنامج، "
               "ثم شغّل البرنامج من جديد.</p>"
               "</body></html>")
        .arg(filePath.toHtmlEscaped());
}
