// Replies from the box decoded by the model: every request is answered with
// the next 64 bytes of input (or none once it runs out). Whatever the box
// sends, the model's state stays within its meaning.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "ParamDatabase.h"

using namespace caraudio;

namespace {

class ScriptedBox final : public DeviceLink {
public:
    ScriptedBox(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool IsOpen() const override { return true; }
    int RefreshDeviceList() override { return 1; }
    bool ConnectDevice(int) override { return true; }
    bool SendAndReceive(Frame& request, Frame& reply, int, int) override {
        reply.fill(0);
        if (used_ >= size_) return false;
        const size_t n = std::min<size_t>(kFrameSize, size_ - used_);
        std::memcpy(reply.data(), data_ + used_, n);
        used_ += n;
        // The protocol only hands over replies to the request it sent.
        reply[0] = static_cast<uint8_t>(request[0] + 1);
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t used_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ScriptedBox box(data, size);
    ParamDatabase db;
    db.SetDeviceLink(&box);
    db.Throttle().Configure(200, nullptr, 1012);
    if (db.Connect() != ConnectStatus::Connected) return 0;
    FUZZ_CHECK(db.InputChannelMode() >= -1 && db.InputChannelMode() <= 1);
    const EffectBlock before = db.Block();
    const bool read = db.ReadDeviceBlock();
    FUZZ_CHECK(db.CurrentDeviceMode() >= -1 && db.CurrentDeviceMode() <= 10);
    if (!read) FUZZ_CHECK(db.Block() == before);
    if (read) FUZZ_CHECK(!(db.Block().Byte(0) == 0xFF && db.Block().Byte(1) == 0xFF));
    db.SetBandGain(2, 3, 100);
    db.SetBypass(2, true);
    db.SetBypass(2, false);
    FUZZ_CHECK(db.Pending().Empty());
    db.RecallDeviceMode(static_cast<int>(size % 12));
    db.StoreDeviceMode(static_cast<int>(size % 9));
    db.SetInputChannelMode(static_cast<int>(size % 3));
    FUZZ_CHECK(db.InputChannelMode() >= -1 && db.InputChannelMode() <= 1);
    db.GetDeviceCurrentMode();
    FUZZ_CHECK(db.ReportedImageSize() == -1 || db.ReportedImageSize() == 1230 ||
               db.ReportedImageSize() == 1206);
    db.SendBlock(DefaultEffectBlock());
    db.LoadBlock(db.Block());
    return 0;
}
