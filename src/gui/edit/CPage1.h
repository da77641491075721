#pragma once
#include "edit/EditorText.h"
#include <QWidget>
#include <array>

class CContactRecord;
class CCategoryList;
class IMessageBox;
class QButtonGroup;
class QComboBox;
class QLineEdit;
class QRadioButton;

// The Name page of the record editor: names, title, other reference, category and the
// seven items with their labels and the default item.
class CPage1 : public QWidget {
    Q_OBJECT
public:
    explicit CPage1(QWidget* parent = nullptr);

    // Loads the controls from the record; refills the category list.
    void Load(const CContactRecord& record, const CCategoryList& categories);
    // The last-name check of the OK step. Shows the refusal and returns false when the
    // last name is empty or does not begin with a letter A to Z.
    bool CheckLastName(IMessageBox& messageBox) const;
    // Stores the controls into the record (the last name has passed the check).
    void Apply(CContactRecord& record, const CCategoryList& categories) const;

    QLineEdit* FirstNameEdit() const { return m_firstName; }
    QLineEdit* LastNameEdit() const { return m_lastName; }

private:
    QLineEdit* m_firstName;
    QLineEdit* m_lastName;
    QLineEdit* m_title;
    QLineEdit* m_otherRef;
    QComboBox* m_category;
    QButtonGroup* m_defaultItem;
    std::array<QRadioButton*, 7> m_radio{};
    std::array<QLineEdit*, 7> m_item{};
    std::array<QComboBox*, 7> m_label{};

    EditorText m_firstText, m_lastText, m_titleText, m_otherRefText;
    std::array<EditorText, 7> m_itemText;
};
