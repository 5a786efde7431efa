#include "BoxFirmware.h"

#include <algorithm>
#include <cstring>

#include "CheckByte.h"
#include "DeviceCommands.h"
#include "RequestShape.h"

namespace caraudio::emulator {
namespace {

constexpr int kChunkSize = 59;
constexpr int kChunkCount = 21;
constexpr int kMaxRecords = 11;
constexpr size_t kKeptRequests = 4096;

int ChunkLength(int k) {
    return std::min(kChunkSize, kEffectBlockSize - kChunkSize * k);
}

uint32_t Get32(const Frame& f, int at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(f[static_cast<size_t>(at + i)]) << (8 * i);
    return v;
}

void Seal(Frame& f) {
    f[63] = CheckByte(f.data(), 63);
}

}  // namespace

BoxFirmware::BoxFirmware(BoxMemory memory) : memory_(std::move(memory)) {}

bool BoxFirmware::TakeOne(int& counter) {
    if (counter <= 0) return false;
    --counter;
    return true;
}

std::optional<EmulatedReply> BoxFirmware::Handle(const Frame& request) {
    std::function<void(const BoxMemory&)> observer;
    BoxMemory changed;
    std::optional<EmulatedReply> out;
    {
        std::lock_guard lock(mutex_);
        if (vanished_) return std::nullopt;
        // A long demo session sends many frames; the recent ones are enough.
        if (requests_.size() >= kKeptRequests)
            requests_.erase(requests_.begin(), requests_.begin() + kKeptRequests / 2);
        requests_.push_back(request);
        if (faults_.vanishIn > 0 && --faults_.vanishIn == 0) {
            vanished_ = true;
            return std::nullopt;
        }
        if (CheckByte(request.data(), 63) != request[63]) return std::nullopt;
        if (!ZeroWhereUnused(request) || !InImageOrder(request)) return std::nullopt;

        EmulatedReply reply;
        Frame& f = reply.frame;
        f[0] = static_cast<uint8_t>(request[0] + 1);
        f[1] = request[1];
        f[2] = request[2];
        bool memoryChanged = false;
        f[3] = Apply(request, f, memoryChanged) ? kStatusAccepted : 0x00;
        if (memoryChanged && observer_) {
            observer = observer_;
            changed = memory_;
        }
        if (request[0] == command::ReadChunk && TakeOne(faults_.wrongEcho))
            f[2] = static_cast<uint8_t>(f[2] + 1);
        if (TakeOne(faults_.wrongStatus)) f[3] = 0x00;
        Seal(f);
        if (TakeOne(faults_.corrupt)) f[63] ^= 0x01;
        if (TakeOne(faults_.delayCount)) reply.delayMs = faults_.delayMs;
        if (!TakeOne(faults_.drop)) out = reply;
    }
    if (observer) observer(changed);
    return out;
}

bool BoxFirmware::InImageOrder(const Frame& request) {
    if (request[0] != command::WriteChunk) {
        // Anything else between two chunks ends the image write.
        lastChunk_ = -1;
        return true;
    }
    const int k = request[2];
    // A chunk sent again after its reply was lost is the same frame.
    if (k == lastChunk_ && request == lastChunkFrame_) return true;
    if (k != 0 && (lastChunk_ < 0 || k != lastChunk_ + 1 || k >= kChunkCount)) return false;
    lastChunk_ = k;
    lastChunkFrame_ = request;
    if (k == kChunkCount - 1) ++completeImageWrites_;
    return true;
}

bool BoxFirmware::Apply(const Frame& request, Frame& reply, bool& memoryChanged) {
    switch (request[0]) {
    case command::KeyExchange:
        // A new key of the box's own: the same places, other values.
        for (int at : {6, 7, 12, 24, 25, 32})
            reply[static_cast<size_t>(at)] = request[static_cast<size_t>(at)] ^ 0x5A;
        return true;
    case command::Handshake:
        reply[4] = request[4] == 1 && Get32(request, 5) == id1_ && Get32(request, 9) == id2_ ? 1 : 0;
        return true;
    case command::RecallMode: {
        const int m = request[4];
        if (m >= 1 && m <= kUserSlots)
            memory_.current = memory_.user[static_cast<size_t>(m - 1)];
        else if (m == kFactoryModeNumber)
            memory_.current = memory_.factory;
        else
            return false;
        memory_.modeNumber = static_cast<uint8_t>(m);
        memoryChanged = true;
        return true;
    }
    case command::CurrentMode:
        reply[4] = memory_.modeNumber;
        reply[5] = static_cast<uint8_t>(imageSize_ & 0xFF);
        reply[6] = static_cast<uint8_t>(imageSize_ >> 8);
        return true;
    case command::ReadChunk: {
        const int k = request[2];
        if (k >= kChunkCount) return false;
        std::memcpy(reply.data() + 4, memory_.current.data() + kChunkSize * k,
                    static_cast<size_t>(ChunkLength(k)));
        return true;
    }
    case command::WriteChunk: {
        const int k = request[2];  // in order: InImageOrder let it through
        std::memcpy(memory_.current.data() + kChunkSize * k, request.data() + 4,
                    static_cast<size_t>(ChunkLength(k)));
        memoryChanged = true;
        return true;
    }
    case command::WriteParams: {
        const int count = request[4];
        if (count > kMaxRecords) return false;
        for (int r = 0; r < count; ++r) {
            const int at = 5 + 5 * r;
            const int offset = request[static_cast<size_t>(at)] | (request[static_cast<size_t>(at + 1)] << 8);
            const int size = request[static_cast<size_t>(at + 2)];
            if ((size != 1 && size != 2) || offset + size > kEffectBlockSize) return false;
        }
        for (int r = 0; r < count; ++r) {
            const auto at = static_cast<size_t>(5 + 5 * r);
            const int offset = request[at] | (request[at + 1] << 8);
            const auto value = static_cast<uint16_t>(request[at + 3] | (request[at + 4] << 8));
            if (request[at + 2] == 1)
                memory_.current.SetByte(offset, static_cast<uint8_t>(value));
            else
                memory_.current.SetWord(offset, value);
        }
        memoryChanged = count > 0;
        return true;
    }
    case command::StoreMode: {
        const int s = request[4];
        if (s < 1 || s > kUserSlots) return false;
        memory_.user[static_cast<size_t>(s - 1)] = memory_.current;
        memoryChanged = true;
        return true;
    }
    case command::InputChannelMode:
        if (request[4] == 1) {
            if (request[5] > 1) return false;
            memory_.inputMode = request[5];
            memoryChanged = true;
        } else if (request[4] != 0) {
            return false;
        }
        reply[5] = memory_.inputMode;
        return true;
    default:
        return false;
    }
}

Frame BoxFirmware::Notification(const uint8_t* payload, size_t length) const {
    Frame f{};
    f[0] = command::Notification;
    f[3] = kStatusAccepted;
    std::memcpy(f.data() + 4, payload, std::min<size_t>(length, kFramePayloadSize));
    Seal(f);
    return f;
}

void BoxFirmware::SetAcceptedIds(uint32_t id1, uint32_t id2) {
    std::lock_guard lock(mutex_);
    id1_ = id1;
    id2_ = id2;
}

void BoxFirmware::SetReportedImageSize(uint16_t size) {
    std::lock_guard lock(mutex_);
    imageSize_ = size;
}

void BoxFirmware::DropReplies(int n) {
    std::lock_guard lock(mutex_);
    faults_.drop = n;
}

void BoxFirmware::DelayReplies(int delayMs, int n) {
    std::lock_guard lock(mutex_);
    faults_.delayMs = delayMs;
    faults_.delayCount = n;
}

void BoxFirmware::CorruptCheckByte(int n) {
    std::lock_guard lock(mutex_);
    faults_.corrupt = n;
}

void BoxFirmware::WrongStatus(int n) {
    std::lock_guard lock(mutex_);
    faults_.wrongStatus = n;
}

void BoxFirmware::WrongChunkEcho(int n) {
    std::lock_guard lock(mutex_);
    faults_.wrongEcho = n;
}

void BoxFirmware::VanishAfter(int requests) {
    std::lock_guard lock(mutex_);
    faults_.vanishIn = requests;
}

bool BoxFirmware::Vanished() const {
    std::lock_guard lock(mutex_);
    return vanished_;
}

void BoxFirmware::ClearFaults() {
    std::lock_guard lock(mutex_);
    faults_ = {};
    vanished_ = false;
}

BoxMemory BoxFirmware::Memory() const {
    std::lock_guard lock(mutex_);
    return memory_;
}

void BoxFirmware::SetMemory(const BoxMemory& memory) {
    std::lock_guard lock(mutex_);
    memory_ = memory;
}

EffectBlock BoxFirmware::CurrentImage() const {
    std::lock_guard lock(mutex_);
    return memory_.current;
}

void BoxFirmware::SetCurrentImage(const EffectBlock& image) {
    std::lock_guard lock(mutex_);
    memory_.current = image;
}

std::vector<Frame> BoxFirmware::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int BoxFirmware::RequestCount(uint8_t command) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(
        std::count_if(requests_.begin(), requests_.end(), [&](const Frame& f) { return f[0] == command; }));
}

int BoxFirmware::CompleteImageWrites() const {
    std::lock_guard lock(mutex_);
    return completeImageWrites_;
}

void BoxFirmware::ClearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

void BoxFirmware::SetMemoryObserver(std::function<void(const BoxMemory&)> observer) {
    std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
}

}  // namespace caraudio::emulator
