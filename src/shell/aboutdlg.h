// CAboutDlg: the about box: version line, feature text, mail link and the
// "show at start" check box.
//
// Both closing ways (the close button and Esc) take the check box into
// ShowAtStart(). The two entry points keep "NoAutoShowAbout" in step with it:
//   ShowAtStartup - once after start: nothing when the value is 1; writes 1 when
//                   the user unticks the box, nothing otherwise.
//   ShowFromMenu  - the box starts ticked unless the value is 1; writes 1 or 0
//                   for the box's state afterwards.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CAboutDlg;
}
class CRegManage;
class CStaticLink;
class QCheckBox;
class QLabel;
class QPlainTextEdit;

class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kDialogId = 100;
    static constexpr const char *kNoAutoShowAbout = "NoAutoShowAbout";
    static constexpr const char *kMailTarget = "mailto:tarvik-support@example.com";

    explicit CAboutDlg(QWidget *parent = nullptr);
    ~CAboutDlg() override;

    bool ShowAtStart() const { return m_bShowAtStart; }
    void SetShowAtStart(bool show);

    static QString VersionLine();
    static void ShowAtStartup(CRegManage &reg, QWidget *parent);
    static void ShowFromMenu(CRegManage &reg, QWidget *parent);

    QLabel *VersionLabel() const;
    QPlainTextEdit *FeatureText() const;
    QCheckBox *ShowAtStartCheck() const;
    CStaticLink *MailLink() const;

    void done(int result) override;

private:
    std::unique_ptr<Ui::CAboutDlg> m_ui;
    bool m_bShowAtStart = true;
};
