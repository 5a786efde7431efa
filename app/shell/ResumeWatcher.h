#pragma once

#include <QObject>

namespace caraudio::app {

// Hears logind say the machine woke up (PrepareForSleep(false) on the
// system bus). Without a system bus it stays silent.
class ResumeWatcher final : public QObject {
    Q_OBJECT
public:
    explicit ResumeWatcher(QObject* parent = nullptr);
    bool Listening() const { return listening_; }

signals:
    void resumed();

private slots:
    void OnPrepareForSleep(bool sleeping);

private:
    bool listening_ = false;
};

}  // namespace caraudio::app
