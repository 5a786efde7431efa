#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace caraudio::app {

// When the system asks the program to stop (SIGTERM at logout or shutdown,
// SIGINT, SIGHUP), it ends the way its own close does: the last edits go to
// the box first. The handler only writes a byte; the rest runs in the loop.
class QuitSignals final : public QObject {
public:
    explicit QuitSignals(std::function<void()> quit);
    ~QuitSignals() override;
    bool Installed() const { return notifier_ != nullptr; }

private:
    std::function<void()> quit_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace caraudio::app
