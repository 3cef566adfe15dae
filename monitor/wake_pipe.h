#pragma once
// A pipe that one thread writes a byte to so that another, waiting in poll() on its read end, wakes at
// once. Both ends are non-blocking: a pipe already full is already a wake-up.

namespace torv {

class WakePipe {
  public:
    WakePipe();
    ~WakePipe();
    WakePipe(const WakePipe&) = delete;
    WakePipe& operator=(const WakePipe&) = delete;

    // The end to wait on for POLLIN; -1 when the pipe could not be made (then nobody is woken).
    int readEnd() const { return m_read; }
    void wake() const;
    // Takes what the wake-ups wrote, so that the next poll waits again.
    void drain() const;

  private:
    int m_read = -1;
    int m_write = -1;
};

}  // namespace torv
