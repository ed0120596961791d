#pragma once

#include <QWidget>

class QTextBrowser;

/// The help window: one local page in a browser that fills the window.
/// The page is read once per run, when the main window first shows; showing
/// the window again never reads it anew, so a followed link stays followed.
/// Closing the window only hides it.
class THelpForm : public QWidget
{
    Q_OBJECT

public:
    explicit THelpForm(QWidget *parent = nullptr);

    /// Reads the page at filePath into the browser, by path, keeping no
    /// history entry for it. Only the first call reads; later calls do
    /// nothing. A missing or unreadable file gives an Arabic page saying so.
    void loadPage(const QString &filePath);
    bool pageLoaded() const { return m_loaded; }

    /// Shows the window maximised in front of the others, without waiting.
    void showHelp();

    QTextBrowser *WebBrowser1;

    /// The page shown when the help file cannot be read.
    static QString missingPageHtml(const QString &filePath);

private:
    bool m_loaded = false;
};
