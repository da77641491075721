#pragma once
#include <QDialog>
#include <string>

class IFileChooser;
class QLabel;

// Shows the current data file and the one to load; Browse chooses another file and may
// be used any number of times. Accepted with "&Load".
class COpenArchiveDlg : public QDialog {
    Q_OBJECT
public:
    COpenArchiveDlg(IFileChooser& fileChooser, QWidget* parent = nullptr);

    std::string m_strCurrent;
    std::string m_strLoad;

    // Moves the members into the controls, or (saveAndValidate) the controls into the members.
    void UpdateData(bool saveAndValidate);

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void OnBrowse();

private:
    IFileChooser& m_fileChooser;
    QLabel* m_current; // the paths, elided to fit, whole in their tooltips
    QLabel* m_load;
};
