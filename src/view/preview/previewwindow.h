// CPreviewWindow: the receipt preview, a window of its own beside the main
// window. Two rolls: what was sent through the open port ("已发送") and the
// send box rendered without sending ("发送区"); paper width, zoom, saving the
// shown roll as PNG and copying it. It only shows and asks: the preview part
// (previewpart.h) feeds the rolls and acts on the requests.
//
// Window thread only.
#pragma once

#include <QWidget>

#include <functional>

class CPreviewRoll;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;

class CPreviewWindow : public QWidget
{
    Q_OBJECT

public:
    using SaveChooser = std::function<QString(const QString &suggestedName)>;

    explicit CPreviewWindow(QWidget *parent = nullptr);

    CPreviewRoll *SentRoll() const { return m_sent; }
    CPreviewRoll *SendBoxRoll() const { return m_sendBox; }
    void ShowSendBoxRoll();
    // Printable width of the chosen paper, in dots.
    int PaperWidth() const;
    // A line under the rolls: what the send box roll shows, or why not.
    void SetNote(const QString &text);
    QString Note() const;
    // The save dialog; tests hand in their own (empty result: cancelled).
    void SetSaveChooser(SaveChooser chooser) { m_saveChooser = std::move(chooser); }
    // Saves the roll on view as PNG; false when there is nothing or it failed.
    bool SaveShownRoll(const QString &path);

signals:
    void clearRequested();
    void sendBoxPreviewRequested();
    void paperWidthChanged(int dots);

protected:
    void changeEvent(QEvent *event) override;

private:
    void Build();
    QWidget *BuildToolRow();
    void Retranslate();
    CPreviewRoll *ShownRoll() const;
    void OnSave();
    void OnCopy();
    void ApplyZoom();

    CPreviewRoll *m_sent = nullptr;
    CPreviewRoll *m_sendBox = nullptr;
    QTabWidget *m_tabs = nullptr;
    QComboBox *m_paper = nullptr;
    QComboBox *m_zoom = nullptr;
    QLabel *m_paperLabel = nullptr;
    QLabel *m_zoomLabel = nullptr;
    QPushButton *m_clear = nullptr;
    QPushButton *m_previewSendBox = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_copy = nullptr;
    QLabel *m_note = nullptr;
    SaveChooser m_saveChooser;
};
