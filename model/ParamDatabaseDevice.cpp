// The ParamDatabase's operations that talk to the box.
#include <algorithm>
#include <cstring>

#include "DeviceCommands.h"
#include "ParamDatabase.h"

namespace caraudio {
namespace {

void Put32(Frame& f, int at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[static_cast<size_t>(at + i)] = static_cast<uint8_t>(v >> (8 * i));
}

void Put16(Frame& f, int at, uint16_t v) {
    f[static_cast<size_t>(at)] = static_cast<uint8_t>(v & 0xFF);
    f[static_cast<size_t>(at + 1)] = static_cast<uint8_t>(v >> 8);
}

Frame Request(uint8_t command) {
    Frame f{};
    f[0] = command;
    return f;
}

int ChunkLength(int chunk) {
    return std::min(ParamDatabase::kChunkSize, kEffectBlockSize - ParamDatabase::kChunkSize * chunk);
}

}  // namespace

bool ParamDatabase::Transact(Frame& request, Frame& reply, int timeoutMs) {
    reply.fill(0);
    if (!link_ || !link_->IsOpen()) return false;
    return link_->SendAndReceive(request, reply, kTries, timeoutMs);
}

ConnectStatus ParamDatabase::Connect() {
    connected_ = false;
    if (!link_) return ConnectStatus::NoBoxFound;
    if (!link_->IsOpen()) {
        if (link_->RefreshDeviceList() <= 0) return ConnectStatus::NoBoxFound;
        // Opening the box runs this handshake once already (the manager's
        // on-connected step); this call then goes on to its own.
        if (!link_->ConnectDevice(0)) return ConnectStatus::OpenFailed;
    }
    Frame request = Request(command::Handshake);
    request[4] = 1;
    Put32(request, 5, id1_);
    Put32(request, 9, id2_);
    Frame reply{};
    if (!Transact(request, reply)) return ConnectStatus::HandshakeNotAnswered;
    if (reply[4] != 1) return ConnectStatus::HandshakeRefused;
    connected_ = true;
    pending_.Clear();

    inputChannelMode_ = -1;
    Frame query = Request(command::InputChannelMode);
    if (Transact(query, reply) && (reply[5] == 0 || reply[5] == 1)) inputChannelMode_ = reply[5];
    return ConnectStatus::Connected;
}

bool ParamDatabase::Disconnect() {
    connected_ = false;
    boxAtConnect_.reset();
    return true;
}

bool ParamDatabase::GetDeviceCurrentMode() {
    currentDeviceMode_ = -1;
    reportedImageSize_ = -1;
    Frame request = Request(command::CurrentMode);
    Frame reply{};
    const bool ok = Transact(request, reply);
    const int mode = reply[4];
    const int size = reply[5] | (reply[6] << 8);
    if (ok && mode >= 1 && mode <= kDeviceModeCount) {
        currentDeviceMode_ = mode - 1;
        Logf(log_, "设备的当前模式：%d\n", mode);
        if (size == kEffectBlockSize || size == kEffectBlockSizeWithoutMixer) {
            reportedImageSize_ = size;
            return true;
        }
    }
    Logf(log_, "CarAudio: GetDeviceCurrentMode failed. mode=%d recvLen=%d dataBaseSize=%d\n", mode, size,
         kEffectBlockSize);
    return false;
}

bool ParamDatabase::ReadBoxImage(EffectBlock& image) {
    if (!IsDeviceReady() || !GetDeviceCurrentMode()) return false;
    // All 1230 bytes are read even from a box that reports 1206.
    for (int k = 0; k < kChunkCount; ++k) {
        Frame request = Request(command::ReadChunk);
        request[2] = static_cast<uint8_t>(k);
        Frame reply{};
        if (!Transact(request, reply) || reply[2] != k) return false;
        std::memcpy(image.data() + kChunkSize * k, reply.data() + kFramePayloadOffset,
                    static_cast<size_t>(ChunkLength(k)));
    }
    if (image.Byte(0) == 0xFF && image.Byte(1) == 0xFF) {
        Logf(log_, "########从设备获取到错误的界面值#######\n");
        return false;
    }
    return true;
}

void ParamDatabase::TakeImage(const EffectBlock& image) {
    block_ = image;
    ForgetAllBypassGains();
    volumeMemo_.fill(-1);
    RebuildCurveModels();
    keepShownTuning_ = true;
}

bool ParamDatabase::ReadDeviceBlock() {
    EffectBlock image;
    if (!ReadBoxImage(image)) return false;
    boxAtConnect_.reset();
    TakeImage(image);
    return true;
}

bool ParamDatabase::ReadImageOrDisconnect() {
    if (ReadDeviceBlock()) return true;
    Disconnect();
    return false;
}

bool ParamDatabase::ShowsUsersTuning() const {
    return keepShownTuning_ || !(CaptureTuning() == startTuning_);
}

ParamDatabase::ConnectImage ParamDatabase::ReadImageOnConnect() {
    boxAtConnect_.reset();
    EffectBlock image;
    if (!ReadBoxImage(image)) {
        Disconnect();
        return lastConnectImage_ = ConnectImage::Failed;
    }
    if (!ShowsUsersTuning()) {
        TakeImage(image);
        return lastConnectImage_ = ConnectImage::Taken;
    }
    // The reset mask is a command the box keeps, not part of the tuning.
    EffectBlock shown = BoxImage(CaptureTuning());
    EffectBlock held = image;
    const ParamRecord& reset = *FindParam(param::ResetCtrl);
    shown.Set(reset, 0);
    held.Set(reset, 0);
    if (shown == held) return lastConnectImage_ = ConnectImage::Same;
    Logf(log_, "CarAudio: the box holds another tuning than the one shown\n");
    boxAtConnect_ = image;
    return lastConnectImage_ = ConnectImage::Differs;
}

bool ParamDatabase::SendShownTuning() {
    if (!boxAtConnect_ || !IsDeviceReady()) return false;
    boxAtConnect_.reset();
    if (!SendChunks(BoxImage(CaptureTuning()))) {
        Disconnect();
        return false;
    }
    pending_.Clear();
    return true;
}

bool ParamDatabase::TakeBoxTuning() {
    if (!boxAtConnect_) return false;
    const EffectBlock image = *boxAtConnect_;
    boxAtConnect_.reset();
    pending_.Clear();
    TakeImage(image);
    return true;
}

bool ParamDatabase::SendBlock(const EffectBlock& image) {
    if (&image != &block_) block_ = image;
    if (!IsDeviceReady()) return false;
    return SendChunks(block_);
}

bool ParamDatabase::SendChunks(const EffectBlock& image) {
    // A copy, so nothing the transfer triggers can change what is being sent.
    const EffectBlock snapshot = image;
    for (int k = 0; k < kChunkCount; ++k) {
        Frame request = Request(command::WriteChunk);
        request[1] = 0;
        request[2] = static_cast<uint8_t>(k);
        std::memcpy(request.data() + kFramePayloadOffset, snapshot.data() + kChunkSize * k,
                    static_cast<size_t>(ChunkLength(k)));
        Frame reply{};
        if (!Transact(request, reply)) return false;
    }
    return true;
}

bool ParamDatabase::WriteCurrentParam() {
    if (pending_.Empty()) return true;
    Logf(log_, "WriteCurrentParam==============================\n");
    // Taken out first: whatever happens while frames go out, this batch is
    // sent (or dropped) as a whole and the queue starts empty.
    const PendingChanges::Map entries = pending_.Entries();
    pending_.Clear();
    bool ok = true;
    int frameNumber = 0;
    for (auto it = entries.begin(); it != entries.end(); ++frameNumber) {
        Frame request = Request(command::WriteParams);
        request[2] = static_cast<uint8_t>(frameNumber);
        int count = 0;
        for (; it != entries.end() && count < kRecordsPerFrame; ++it, ++count) {
            const ParamRecord& r = *FindParam(it->first);
            // The image, not the queued value, is what goes out.
            const uint16_t value = block_.Get(r);
            Logf(log_, "CarAudio: 【Send】 %16s = %4d(%d) = 0x%04X  (%dbytes) index=%d offset=%d\n", r.name,
                 value, static_cast<int16_t>(value), value, r.size, r.index, r.offset);
            const int at = 5 + 5 * count;
            Put16(request, at, static_cast<uint16_t>(r.offset));
            request[static_cast<size_t>(at + 2)] = static_cast<uint8_t>(r.size);
            Put16(request, at + 3, value);
        }
        request[4] = static_cast<uint8_t>(count);
        Frame reply{};
        if (!Transact(request, reply)) {
            Logf(log_, "WriteCurrentParam SendAndReceive return false.\n");
            ok = false;
            break;
        }
    }
    return ok;
}

bool ParamDatabase::RecallDeviceMode(int index) {
    if (index < 0 || index >= kDeviceModeCount || !IsDeviceReady()) return false;
    Frame request = Request(command::RecallMode);
    request[4] = static_cast<uint8_t>(index + 1);
    Frame reply{};
    if (!Transact(request, reply, kRecallTimeoutMs)) return false;
    currentDeviceMode_ = index;
    return true;
}

bool ParamDatabase::StoreDeviceMode(int index) {
    if (index < 0 || index >= kUserSlotCount || !IsDeviceReady()) return false;
    Frame request = Request(command::StoreMode);
    request[4] = static_cast<uint8_t>(index + 1);
    Frame reply{};
    return Transact(request, reply);
}

bool ParamDatabase::SetInputChannelMode(int mode) {
    if ((mode != 0 && mode != 1) || !IsDeviceReady()) return false;
    Frame request = Request(command::InputChannelMode);
    request[4] = 1;
    request[5] = static_cast<uint8_t>(mode);
    Frame reply{};
    if (!Transact(request, reply)) return false;
    inputChannelMode_ = mode;
    return true;
}

}  // namespace caraudio
