#include "shell/findtextdlg.h"

#include "ui_findtextdlg.h"

CFindTextDlg::CFindTextDlg(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CFindTextDlg>())
{
    m_ui->setupUi(this);
    setModal(false);
    m_ui->findCombo->model()->sort(0);
    m_ui->findCombo->setCurrentIndex(-1);
    m_ui->findCombo->clearEditText();
    connect(m_ui->findCombo, &QComboBox::editTextChanged, this, &CFindTextDlg::OnEditChange);
    connect(m_ui->findCombo, &QComboBox::currentIndexChanged, this, &CFindTextDlg::OnEditChange);
    connect(m_ui->findNextButton, &QPushButton::clicked, this, &CFindTextDlg::OnFindNext);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &QDialog::reject);
    OnEditChange();
}

CFindTextDlg::~CFindTextDlg() = default;

QComboBox *CFindTextDlg::TextCombo() const
{
    return m_ui->findCombo;
}
QCheckBox *CFindTextDlg::MatchCaseCheck() const
{
    return m_ui->matchCaseCheck;
}
QPushButton *CFindTextDlg::FindNextButton() const
{
    return m_ui->findNextButton;
}

void CFindTextDlg::OnEditChange()
{
    m_ui->findNextButton->setEnabled(!m_ui->findCombo->currentText().isEmpty());
}

// The dialog stays open and the text is not added to the list.
void CFindTextDlg::OnFindNext()
{
    const QString text = m_ui->findCombo->currentText();
    if (text.isEmpty())
        return;
    emit viewRequest(MakeRequestParam(kRequestFind, m_ui->matchCaseCheck->isChecked()), text);
}

void CFindTextDlg::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        m_ui->retranslateUi(this);
    QDialog::changeEvent(event);
}
