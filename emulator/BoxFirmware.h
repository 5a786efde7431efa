#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "DeviceLink.h"
#include "EffectBlock.h"

namespace caraudio::emulator {

inline constexpr int kUserSlots = 8;
inline constexpr uint8_t kFactoryModeNumber = 9;

// What the box keeps: the image it plays, eight user slots, its factory
// settings, the mode it last recalled and its input configuration.
struct BoxMemory {
    EffectBlock current = DefaultEffectBlock();
    std::array<EffectBlock, kUserSlots> user = MakeUserSlots();
    EffectBlock factory = DefaultEffectBlock();
    uint8_t modeNumber = 1;  // 1..8 user slots, 9 factory settings
    uint8_t inputMode = 0;   // 0 two channels, 1 four channels

    bool operator==(const BoxMemory&) const = default;

private:
    static std::array<EffectBlock, kUserSlots> MakeUserSlots() {
        std::array<EffectBlock, kUserSlots> images;
        images.fill(DefaultEffectBlock());
        return images;
    }
};

struct EmulatedReply {
    Frame frame{};
    int delayMs = 0;
};

// The box's side of every command, with faults to inject on request. Safe to
// use from several threads: the front end calls Handle on the sending thread
// while tests look at the memory.
class BoxFirmware {
public:
    explicit BoxFirmware(BoxMemory memory = {});

    // The reply the box sends to one request frame, if any. Frames with a
    // wrong check byte, with data where their command puts none, and image
    // chunks out of order (a whole image goes as chunks 0..20, each once, in
    // order) are ignored.
    std::optional<EmulatedReply> Handle(const Frame& request);
    // A frame the box sends on its own (command 0x7E).
    Frame Notification(const uint8_t* payload, size_t length) const;

    // --- what the box accepts --------------------------------------------
    void SetAcceptedIds(uint32_t id1, uint32_t id2);
    void SetReportedImageSize(uint16_t size);  // 1230, or 1206 for a box without the mixer

    // --- faults, each for the next n replies (or from now on) --------------
    void DropReplies(int n);
    void DelayReplies(int delayMs, int n = INT_MAX);
    void CorruptCheckByte(int n);
    void WrongStatus(int n);
    void WrongChunkEcho(int n);
    // The box disappears when it receives its n-th request from now on.
    void VanishAfter(int requests);
    bool Vanished() const;
    void ClearFaults();

    // --- looking inside ---------------------------------------------------
    BoxMemory Memory() const;
    void SetMemory(const BoxMemory& memory);
    EffectBlock CurrentImage() const;
    void SetCurrentImage(const EffectBlock& image);
    std::vector<Frame> Requests() const;
    int RequestCount(uint8_t command) const;
    // Whole images received as chunks 0..20 in order.
    int CompleteImageWrites() const;
    void ClearRequests();
    // Called after every change of the memory, outside the lock.
    void SetMemoryObserver(std::function<void(const BoxMemory&)> observer);

private:
    struct Faults {
        int drop = 0;
        int delayMs = 0;
        int delayCount = 0;
        int corrupt = 0;
        int wrongStatus = 0;
        int wrongEcho = 0;
        int vanishIn = -1;
    };

    // Applies one request; false when the box refuses it (status 0).
    bool Apply(const Frame& request, Frame& reply, bool& memoryChanged);
    // Follows the chunks of a whole-image write; false for one out of order.
    bool InImageOrder(const Frame& request);
    static bool TakeOne(int& counter);

    mutable std::mutex mutex_;  // guards every field below
    BoxMemory memory_;
    uint32_t id1_ = 0;
    uint32_t id2_ = 0;
    uint16_t imageSize_ = kEffectBlockSize;
    Faults faults_;
    bool vanished_ = false;
    std::vector<Frame> requests_;
    int lastChunk_ = -1;  // of the image write in progress
    Frame lastChunkFrame_{};
    int completeImageWrites_ = 0;
    std::function<void(const BoxMemory&)> observer_;
};

}  // namespace caraudio::emulator
