#pragma once
// The "Protocol trace" window (Ctrl+T in the main window): every frame sent to the sensor and every
// reply, time-stamped to the millisecond, sent and received told apart by colour and arrow, failures
// marked. It records only while it is open and not paused; closed, it costs the link nothing.
//
// The driver reports transfers from inside an exchange, so recording only stores the bytes; they are
// decoded and shown in batches by a timer, which runs in the pumping between blocks of exchanges.

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "link/trace_decoder.h"

class QPlainTextEdit;
class QPushButton;

namespace torv {

class ProtocolTraceWindow : public QWidget {
    Q_OBJECT
  public:
    // Milliseconds since the epoch; tests fix it.
    using Clock = std::function<std::int64_t()>;
    static std::int64_t SystemClockMs();

    static constexpr int kFlushIntervalMs = 250;
    static constexpr int kMaxLines = 50000;  // the oldest lines go first

    // A top-level window of its own (no parent): the tool's dialogs are window-modal
    // (ui/window_modal.h) and block only their own window's family, so a running transfer dialog or
    // a message box leaves it usable.
    explicit ProtocolTraceWindow(Clock clock = SystemClockMs);
    ~ProtocolTraceWindow() override;

    // The lines as shown, and as "Save as text" writes them.
    QStringList lines() const;
    bool isRecording() const { return m_recording; }
    // Shows what was recorded so far at once (the timer does it every kFlushIntervalMs).
    void flush();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    struct Transfer {
        std::int64_t timeMs;
        TraceDirection direction;
        std::vector<std::uint8_t> bytes;
    };

    void startRecording();
    void stopRecording();
    void record(TraceDirection direction, std::span<const std::uint8_t> bytes);
    void appendLines(const std::vector<TraceLine>& lines);
    void appendNote(const QString& text);
    void onPause(bool paused);
    void onClear();
    void onSave();

    Clock m_clock;
    TraceDecoder m_decoder;
    std::vector<Transfer> m_recorded;  // waiting for the next flush
    bool m_recording = false;
    QPlainTextEdit* m_view;
    QPushButton* m_pause;
    QPushButton* m_clear;
    QPushButton* m_save;
    QTimer m_flushTimer;
};

// Ctrl+T opens the trace from the tool's windows, the transfer dialog included; the main window, which
// owns the trace window, registers how. An empty opener unregisters it.
void SetProtocolTraceOpener(std::function<void()> opener);
void OpenProtocolTrace();  // nothing happens while no opener is registered
inline constexpr QKeyCombination kProtocolTraceKey(Qt::CTRL, Qt::Key_T);

}  // namespace torv
