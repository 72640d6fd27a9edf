// The "详细内容" dialog: one user command's name and content. The content
// box shows the bytes either as hex text or as text; the "Hex" box switches
// between the two.
//
// The caller sets m_strName and m_strContent (the content in the written
// value form, usercmdvalue.h) before exec() and reads them after OK: the name
// trimmed, the content rewritten in the written value form.
#pragma once

#include <QDialog>
#include <QString>

class CEditEx;
class QCheckBox;
class QLineEdit;

class CUserCmdEditDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kNameId = 1047;
    static constexpr int kContentId = 1048;
    static constexpr int kHexId = 1049;

    explicit CUserCmdEditDlg(QWidget *parent = nullptr);

    QString m_strName;
    QString m_strContent;

    // Shows the members; the content opens in hex mode, taken as hex text
    // without conversion.
    int exec() override;
    void accept() override;

    CEditEx *ContentBox() const { return m_pContent; }

private:
    void BuildControls();
    void OnHexClicked(bool checked);
    void ShowMessage(unsigned stringId);

    QLineEdit *m_pName = nullptr;
    CEditEx *m_pContent = nullptr;
    QCheckBox *m_pHex = nullptr;
};
