#pragma once
#include "edit/EditorText.h"
#include <QWidget>
#include <array>

class CContactRecord;
class QLineEdit;
class QPlainTextEdit;

// The Address page of the record editor: the multi-line address, city, state, zip,
// country and the four lines of other information.
class CPage2 : public QWidget {
    Q_OBJECT
public:
    explicit CPage2(QWidget* parent = nullptr);
    void Load(const CContactRecord& record);
    void Apply(CContactRecord& record) const;

private:
    QPlainTextEdit* m_address;
    QLineEdit* m_city;
    QLineEdit* m_state;
    QLineEdit* m_zip;
    QLineEdit* m_country;
    std::array<QLineEdit*, 4> m_otherInfo{};
    EditorText m_addressText, m_cityText, m_stateText, m_zipText, m_countryText;
    std::array<EditorText, 4> m_otherInfoText;
};
