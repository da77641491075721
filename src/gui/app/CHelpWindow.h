#pragma once
#include <QWidget>

class QTextBrowser;

// The built-in user guide: one page of HTML from the resources.
class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent = nullptr);
    QTextBrowser* Browser() { return m_browser; }

private:
    QTextBrowser* m_browser;
};
