#pragma once
// The NG data viewer: one stored NG slot, its screen image beside its NG data file as text. The image
// can be shown to fit, at 1:1 or at 2:1, and a status line names the pixel under the pointer: its
// place, its image line, its gray level and its screen colour.

#include <QDialog>

#include <optional>

#include "engine/operation_state.h"
#include "ngdata/ng_image_view.h"
#include "ngdata/ng_viewer_files.h"

class QButtonGroup;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QTimer;

namespace torv {

class CNgdataDlg : public QDialog {
    Q_OBJECT
  public:
    enum Control : int {
        kIdOk = 1,
        kIdPicture = 1186,
        kIdText = 1188,
        kIdZoomFit = 1191,
        kIdZoomOne = 1192,
        kIdZoomTwo = 1193,
        kIdPixelStatus = 1194,
    };
    // The redraw after opening, once.
    static constexpr int kRedrawDelayMs = 300;

    // Loads OperationFileName + ".bmp" into `image` (the buffer outlives the viewer) and + ".ng4" as
    // the text. When either cannot be opened, LastErrorText is the missing-file text
    // (`kNgDataFileNotFound`) and exec() shows it and returns at once.
    CNgdataDlg(OperationState& state, NgViewerImage& image, QWidget* parent = nullptr);

    bool loaded() const { return m_loaded; }
    int exec() override;

    NgImageView* view() const { return m_view; }

  private:
    void buildLayout();
    void markWorstCharacter(int line);
    bool load();
    void setZoom(NgZoom zoom);
    void showPixel(std::optional<QPoint> pixel);

    OperationState& m_state;
    NgViewerImage& m_image;
    NgImageView* m_view;
    QScrollArea* m_scroll;
    QPlainTextEdit* m_text;
    QLabel* m_pixelStatus;
    QLabel* m_why;  // the worst character of the reading, in words
    QPushButton* m_ok;
    QButtonGroup* m_zoomButtons;
    QTimer* m_redrawTimer;
    bool m_loaded = false;
};

// The buffer's pixels as an upright image (image line 0 at the top of the gray half).
QImage NgViewerQImage(const NgViewerImage& image);

}  // namespace torv
