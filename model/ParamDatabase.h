#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "CurveModels.h"
#include "DebugLog.h"
#include "DeviceLink.h"
#include "EffectBlock.h"
#include "PendingChanges.h"
#include "SendThrottle.h"
#include "TuningState.h"

namespace caraudio {

// Outcome of Connect.
enum class ConnectStatus : int {
    Connected = 0,
    NoBoxFound = 1,
    OpenFailed = 2,
    HandshakeNotAnswered = 3,
    HandshakeRefused = 4,
};

// The one model object: the PC's copy of the box's image, links, EQ bypass
// memory, queued changes and the device operations on the tuning state.
// Everything here runs on the interface thread; nothing is locked.
class ParamDatabase {
public:
    static constexpr int kTries = 5;
    static constexpr int kTimeoutMs = 200;
    static constexpr int kRecallTimeoutMs = 800;
    static constexpr int kDeviceModeCount = 11;  // eight user slots, factory and more
    static constexpr int kUserSlotCount = 8;
    static constexpr int kChunkCount = 21;
    static constexpr int kChunkSize = 59;
    static constexpr int kRecordsPerFrame = 11;
    static constexpr int kInitialSelectedChannel = 4;

    ParamDatabase();
    ParamDatabase(const ParamDatabase&) = delete;
    ParamDatabase& operator=(const ParamDatabase&) = delete;

    // --- wiring -----------------------------------------------------------
    void SetDeviceLink(DeviceLink* link) { link_ = link; }
    DeviceLink* Link() const { return link_; }
    void SetDebugLog(DebugLog* log) { log_ = log; }
    DebugLog* Log() const { return log_; }
    void SetCurveModels(std::unique_ptr<CurveModels> curves) { curves_ = std::move(curves); }
    CurveModels* Curves() const { return curves_.get(); }
    // The two identifiers the box expects in the handshake.
    void SetHandshakeIds(uint32_t id1, uint32_t id2) { id1_ = id1, id2_ = id2; }
    SendThrottle& Throttle() { return throttle_; }

    // --- the image --------------------------------------------------------
    const EffectBlock& Block() const { return block_; }
    uint16_t GetParam(int index) const;
    // Stores a changed value and, while a box is connected, queues it.
    void SetParam(int index, uint16_t value);

    // --- channel setters (channel = block index 0..5) -----------------------
    void SetMainVolume(uint16_t value);
    void SetDelayMs(int channel, double ms);
    void SetChannelVolume(int channel, uint16_t value);
    void SetHighPassFreq(int channel, uint16_t value);
    void SetLowPassFreq(int channel, uint16_t value);
    void SetHighPassSlope(int channel, int slope);
    void SetLowPassSlope(int channel, int slope);
    void SetHighPassType(int channel, int type);
    void SetLowPassType(int channel, int type);
    void SetBandFreq(int channel, int band, uint16_t value);
    void SetBandQ(int channel, int band, uint16_t value);
    void SetBandGain(int channel, int band, uint16_t value);
    void SetThreshold(int channel, uint16_t value);
    void SetAttack(int channel, uint16_t value);
    void SetRelease(int channel, uint16_t value);
    void SetMute(int channel, bool on);
    void SetPhase(int channel, bool on);
    void SetBypass(int channel, bool on);
    void CancelBypass(int channel);
    void ResetChannel(int channel);
    // The channels the reference is copied onto take its tuning as its image
    // holds it; each keeps its own bypass, and a bypassed one keeps the copy
    // as the gains its bypass gives back.
    void LinkChannel(int channel, int reference);
    void UnlinkChannel(int channel);
    void ClearLinks();
    // A channel's link box checked: when the selected channel is not linked
    // the selection moves to this one; then it is linked with the selection.
    void LinkWithSelection(int channel);
    // Its link box unchecked: the selected channel first hands the selection
    // to the lowest other linked channel.
    void UnlinkKeepingSelection(int channel);

    // The band-off boxes: a band turned off remembers its gain (in the link
    // group) and goes to 0; turned on again it gets the gain back, and a
    // bypass of the group ends as an edit ends it. False when there is
    // nothing to do: the band is already at 0, or nothing was remembered
    // for it.
    bool SwitchBandOff(int channel, int band);
    bool SwitchBandOn(int channel, int band);

    // Replaces the whole image and, when connected, sends it to the box.
    bool LoadBlock(const EffectBlock& image);
    void DumpParams();
    // Sends the queued changes; true when nothing was queued or all went out.
    bool WriteCurrentParam();
    // Rebuilds every channel's curves from the image.
    void RebuildCurveModels();

    // The tuning with its bypass, band-off and volume memory and its links.
    TuningState CaptureTuning() const;
    // Makes a captured tuning the current one. While connected, the box is
    // sent, through the throttle and at once, the parameters where what it
    // holds differs from the restored tuning, and nothing else; disconnected,
    // only the PC changes. Channels whose filters changed get new curves.
    void RestoreTuning(const TuningState& state);

    // --- device operations ------------------------------------------------
    ConnectStatus Connect();
    bool Disconnect();
    bool GetDeviceCurrentMode();
    bool ReadDeviceBlock();
    // The read that makes the box's image the PC's, after a recall: a box
    // whose image cannot be read is left disconnected, as edits against a
    // stale copy would reach it only in part.
    bool ReadImageOrDisconnect();

    // The read on connect. A tuning the user has seen or edited on the PC is
    // never replaced by it: only a PC that still holds the start-up image
    // takes the box's (Taken). Otherwise the box's image is compared with
    // what the box should play of the tuning shown (Same), and where they
    // differ it is held until the user chooses between the two (Differs).
    // A failed read leaves the box disconnected (Failed).
    enum class ConnectImage { Failed, Taken, Same, Differs };
    ConnectImage ReadImageOnConnect();
    ConnectImage LastConnectImage() const { return lastConnectImage_; }
    // The two ways out of Differs: the box gets the tuning shown, whole; or
    // the tuning shown becomes the box's, with its bypass and volume memory
    // forgotten as after any read. False when nothing differs, or when the
    // send failed (then the box may hold part of it and is let go).
    bool SendShownTuning();
    bool TakeBoxTuning();
    bool BoxDiffers() const { return boxAtConnect_.has_value(); }
    // The tuning shown is the user's from now on, even where it equals the
    // start-up image (undone back to it, or the other side of an A/B).
    void KeepShownTuning() { keepShownTuning_ = true; }
    bool SendBlock(const EffectBlock& image);
    bool RecallDeviceMode(int index);
    bool StoreDeviceMode(int index);
    bool SetInputChannelMode(int mode);

    // --- state ------------------------------------------------------------
    bool IsConnected() const { return connected_; }
    // Connected and the box still open: edits are queued and commands may go out.
    bool IsDeviceReady() const;
    bool IsLinked(int channel) const;
    // Whether an edit of `channel` reaches `other`: the channel itself, or
    // every linked channel when it is linked.
    bool EditReaches(int channel, int other) const;
    int SelectedChannel() const { return selectedChannel_; }
    void SetSelectedChannel(int channel) { selectedChannel_ = channel; }
    int DelayUnit() const { return delayUnit_; }
    void SetDelayUnit(int unit) { delayUnit_ = unit; }
    int VolumeMemo(int channel) const;
    void SetVolumeMemo(int channel, int value);
    int CurrentDeviceMode() const { return currentDeviceMode_; }
    int InputChannelMode() const { return inputChannelMode_; }
    // Image size the box gave with its current mode (1230 or 1206); -1 unknown.
    int ReportedImageSize() const { return reportedImageSize_; }
    const PendingChanges& Pending() const { return pending_; }
    bool HasRememberedGain(int channel, int band) const;
    int RememberedGain(int channel, int band) const;

private:
    using ChannelMask = uint8_t;
    using Remembered = GainMemory;

    static size_t Ch(int channel) { return static_cast<size_t>(channel); }
    static bool ValidChannel(int channel) { return channel >= 0 && channel < kChannelCount; }
    static bool ValidBand(int band) { return band >= 0 && band < kBandCount; }

    // Channel alone, or every linked channel when it is linked.
    ChannelMask TargetChannels(int channel) const;
    template <typename Fn>
    void ForEachTarget(int channel, Fn&& fn) const;
    void SetLinked(int channel, int (*index)(int), uint16_t value);
    using CrossoverFieldSetter = uint8_t (*)(uint8_t byte, int field);
    void SetCrossoverField(int channel, int (*typeIndex)(int), CrossoverFieldSetter with, int value);
    void SetMaskBit(int index, int channel, bool on);
    void CopyChannel(int from, int to);
    void Remember(int channel, int band, Remembered why, int gain);
    // Zeroes the channel's gains on the PC only and remembers them, for a
    // bypass the box applies itself.
    void ZeroGainsForBypass(int channel);
    void ForgetBypassGains(int channel);
    // Clears the bypass bits of the channel or its link group; the gains the
    // bypass zeroed stay zero, the box is sent them and nothing restores them.
    void EndBypassAsShown(int channel);
    void ForgetAllBypassGains();
    // Queues a value the image already holds, for a box that has not seen it.
    void Resend(int index);
    void RefreshCrossovers(int channel);
    void RebuildCurve(int channel);
    void CopyFromDefault(ChannelRange range);

    bool Transact(Frame& request, Frame& reply, int timeoutMs = kTimeoutMs);
    bool ReadBoxImage(EffectBlock& image);
    void TakeImage(const EffectBlock& image);
    bool ShowsUsersTuning() const;
    bool SendChunks(const EffectBlock& image);

    DeviceLink* link_ = nullptr;
    SendThrottle throttle_;
    EffectBlock block_ = DefaultEffectBlock();
    std::array<int32_t, kChannelCount> linked_{};
    int selectedChannel_ = kInitialSelectedChannel;
    std::array<std::array<Remembered, kBandCount>, kChannelCount> bypassRemembered_{};
    std::array<std::array<int32_t, kBandCount>, kChannelCount> bypassGain_{};
    int delayUnit_ = 0;
    std::array<int32_t, kChannelCount> volumeMemo_{-1, -1, -1, -1, -1, -1};
    int currentDeviceMode_ = -1;
    bool connected_ = false;
    PendingChanges pending_;
    int inputChannelMode_ = -1;
    int reportedImageSize_ = -1;
    std::unique_ptr<CurveModels> curves_;
    DebugLog* log_ = nullptr;
    uint32_t id1_ = 0;
    uint32_t id2_ = 0;
    const TuningState startTuning_ = CaptureTuning();
    bool keepShownTuning_ = false;
    std::optional<EffectBlock> boxAtConnect_;
    ConnectImage lastConnectImage_ = ConnectImage::Failed;
};

}  // namespace caraudio
