#include "shell/aboutdlg.h"

#include "config/regmanage.h"
#include "shell/appicon.h"
#include "shell/staticlink.h"
#include "shell/version.h"
#include "stringtable.h"
#include "ui_aboutdlg.h"

#include <QApplication>

CAboutDlg::CAboutDlg(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::CAboutDlg>())
{
    m_ui->setupUi(this);
    m_ui->mailLink->SetLink(QString::fromLatin1(kMailTarget));
    setWindowIcon(TarvikIcon());
    m_ui->iconLabel->setPixmap(TarvikIcon().pixmap(32));
    m_ui->versionLabel->setText(VersionLine());
    m_ui->featureText->setPlainText(LoadFixedText(FixedText::AboutFeatures));
    connect(m_ui->closeButton, &QPushButton::clicked, this, &QDialog::accept);
    SetShowAtStart(true);
    QApplication::beep();
}

CAboutDlg::~CAboutDlg() = default;

QString CAboutDlg::VersionLine()
{
    return LoadFixedText(FixedText::AboutVersionLine)
        .arg(kTarvikAppBuild)
        .arg(PortLibraryVersionText());
}

void CAboutDlg::SetShowAtStart(bool show)
{
    m_bShowAtStart = show;
    m_ui->showAtStartCheck->setChecked(show);
}

void CAboutDlg::done(int result)
{
    m_bShowAtStart = m_ui->showAtStartCheck->isChecked();
    QDialog::done(result);
}

void CAboutDlg::ShowAtStartup(CRegManage &reg, QWidget *parent)
{
    uint32_t noAutoShow = 0;
    reg.ReadDword(QString::fromLatin1(kNoAutoShowAbout), noAutoShow);
    if (noAutoShow == 1)
        return;
    CAboutDlg dialog(parent);
    dialog.exec();
    if (!dialog.ShowAtStart())
        reg.WriteDword(QString::fromLatin1(kNoAutoShowAbout), 1);
}

void CAboutDlg::ShowFromMenu(CRegManage &reg, QWidget *parent)
{
    CAboutDlg dialog(parent);
    uint32_t noAutoShow = 0;
    reg.ReadDword(QString::fromLatin1(kNoAutoShowAbout), noAutoShow);
    // The start-up rule shows the box for any value but 1; the menu agrees with it.
    dialog.SetShowAtStart(noAutoShow != 1);
    dialog.exec();
    reg.WriteDword(QString::fromLatin1(kNoAutoShowAbout), dialog.ShowAtStart() ? 0 : 1);
}

QLabel *CAboutDlg::VersionLabel() const
{
    return m_ui->versionLabel;
}
QPlainTextEdit *CAboutDlg::FeatureText() const
{
    return m_ui->featureText;
}
QCheckBox *CAboutDlg::ShowAtStartCheck() const
{
    return m_ui->showAtStartCheck;
}
CStaticLink *CAboutDlg::MailLink() const
{
    return m_ui->mailLink;
}
