#include "ui/help/thelpform.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

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

    WebBrowser1 = new QTextBrowser(this);
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
