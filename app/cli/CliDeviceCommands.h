#pragma once

#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "CliSession.h"
#include "ImageLimits.h"

namespace caraudio::cli {

using CommandArgs = std::span<const std::string_view>;
using CommandFn = int (*)(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);

int Info(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int Dump(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int ReadImage(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int WriteImage(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int Recall(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int Store(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int Set(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int Scenes(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int SceneAdd(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int SceneDelete(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int SceneExport(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int SceneImport(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int Curve(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int AutoEq(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int Align(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int Sum(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int Tune(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int SceneRecall(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int EqImport(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int EqExport(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int AudioDevices(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int Record(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int Measure(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);
int MicCalibration(const CliOptions& options, CommandArgs args, std::FILE* out, std::FILE* err);

// A connected session, or the exit status that says why there is none.
struct Connected {
    std::unique_ptr<CliSession> session;
    int status = kExitOk;
};
Connected ConnectBox(const CliOptions& options, std::FILE* err);
// Connected, with the box's image read, before a command changes it; a
// failed read says that nothing was changed.
Connected ConnectToChange(const CliOptions& options, std::FILE* err);

// Reads a whole image (exactly 1230 bytes) from a file; says why not on err.
bool ReadImageFile(const std::string& path, EffectBlock& image, std::FILE* err);

// The image of FILE when a path is given, else the connected box's; the exit
// status says why there is none.
int TakeImage(const CliOptions& options, const std::string& imagePath, EffectBlock& image, std::FILE* err);

// The EQ gain limits of the tuning file beside the program or in its share folder.
GainLimits TuningGainLimits();
// Says on err which parameters of `what` lie outside their limits, one a
// line, and that nothing was sent.
void SayOutOfLimits(const std::string& what, const std::vector<OutOfLimit>& outside, std::FILE* err);
// Says on err which parameters of the image (from `path`) lie outside what
// the program's controls can give, and that nothing was sent; true when none.
bool ImageWithinLimits(const EffectBlock& image, const std::string& path, std::FILE* err);

// "USER-1".."USER-8", "Factory settings", or "mode N" for the others.
std::string ModeName(int index);

}  // namespace caraudio::cli
