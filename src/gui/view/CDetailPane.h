#pragma once
#include <QPlainTextEdit>

class QLabel;

// The detail pane: the selected contact's text, and its photo in a column of its own to
// the right of the top lines (the category and the name), so that no text runs under it.
class CDetailPane : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CDetailPane(QWidget* parent = nullptr);
    // Shows the picture scaled to fit the column; a null image takes the column away.
    void SetPhoto(const QImage& image);
    bool HasPhoto() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlacePhoto();

    QLabel* m_photo;
    QImage m_image;
};
