#pragma once

class QThread;

// Starting a thread: the system may refuse to create one (too many threads, no memory for its
// stack), and the caller must then undo what it did for it.
class IThreadStarter {
public:
    virtual ~IThreadStarter() = default;
    // Starts the thread; 0 when it runs, otherwise the system's error code for the refusal.
    virtual int Start(QThread& thread) = 0;
};

// The Linux backend: QThread::start, which tells a refusal only by a thread that does not run.
class TQtThreadStarter : public IThreadStarter {
public:
    int Start(QThread& thread) override;
};
