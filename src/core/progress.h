#pragma once
// How a long command shows how far it has come; the main window shows it in
// its progress bar and percentage label, and takes the user's stop.

namespace pelmora {

class Progress {
  public:
    virtual ~Progress() = default;
    // A run of total steps begins.
    virtual void start(int total) = 0;
    // done of total steps are finished.
    virtual void step(int done, int total) = 0;
    // Asked between steps and while waiting for one: lets the window repaint
    // and take input; true once the user has asked the run to stop.
    virtual bool stopRequested() { return false; }
};

// Shows nothing.
class NoProgress : public Progress {
  public:
    void start(int) override {}
    void step(int, int) override {}
};

}  // namespace pelmora
