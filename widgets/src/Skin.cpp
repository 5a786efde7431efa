#include "Skin.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QImageReader>
#include <QSvgRenderer>
#include <algorithm>

#include "GifDelays.h"

namespace caraudio::widgets {

Skin::Skin(QImage strip, int frames, QSize frameSize) {
    if (strip.isNull() || frames < 1) return;
    const int w = strip.width() / frames;
    for (int i = 0; i < frames; ++i) frames_.push_back(strip.copy(i * w, 0, w, strip.height()));
    delays_.assign(frames_.size(), 0);
    size_ = frameSize.isValid() ? frameSize : frames_.front().size();
}

Skin Skin::Animation(std::vector<QImage> frames, std::vector<int> delays) {
    Skin s;
    s.frames_ = std::move(frames);
    s.delays_ = std::move(delays);
    s.delays_.resize(s.frames_.size(), 0);
    s.animation_ = true;
    if (!s.frames_.empty()) s.size_ = s.frames_.front().size();
    return s;
}

int Skin::Delay(int frame) const {
    return frame >= 0 && frame < FrameCount() ? delays_[static_cast<size_t>(frame)] : 0;
}

const QImage& Skin::Frame(int frame) const {
    return frames_[static_cast<size_t>(std::clamp(frame, 0, FrameCount() - 1))];
}

void Skin::Draw(QPainter& painter, const QRect& target, int frame) const {
    if (IsNull() || target.isEmpty()) return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, Frame(frame));
    painter.restore();
}

Skin LoadGifSkin(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray data = file.readAll();
    QBuffer buffer;
    buffer.setData(data);
    QImageReader reader(&buffer, "gif");
    std::vector<QImage> frames;
    for (QImage image = reader.read(); !image.isNull(); image = reader.read()) {
        frames.push_back(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        if (!reader.supportsAnimation()) break;
    }
    if (frames.empty()) return {};
    // The delays as the file has them: the image reader turns 0 into 100 ms,
    // where a frame without a delay is meant to show for 90 ms.
    std::vector<int> delays =
        GifFrameDelays(reinterpret_cast<const uint8_t*>(data.constData()), static_cast<size_t>(data.size()));
    return Skin::Animation(std::move(frames), std::move(delays));
}

namespace {

struct SkinSource {
    const char* name;
    const char* resource;
    int frames;
};

// Every skin of the program and the resource it is drawn from.
constexpr SkinSource kSources[] = {
    {"knob_dial", ":/skins/knob_dial.svg", 1},
    {"knob_dot", ":/skins/knob_dot.svg", 1},
    {"knob_slash", ":/skins/knob_slash.svg", 1},
    {"slider_rail", ":/skins/slider_rail.svg", 1},
    {"slider_pos", ":/skins/slider_pos.svg", 1},
    {"slider_thumb", ":/skins/slider_thumb.svg", 4},
    {"check_button", ":/skins/check_button.svg", 2},
    {"radio_button", ":/skins/radio_button.svg", 2},
    {"speaker", ":/skins/speaker.svg", 1},
    {"listener", ":/skins/listener.svg", 1},
    {"car", ":/skins/car.svg", 1},
    {"q_left", ":/skins/q_left.svg", 1},
    {"q_right", ":/skins/q_right.svg", 1},           {"check_box", ":/skins/check_box.svg", 2},
    {"toggle_button", ":/skins/toggle_button.svg", 2}, {"skin_car_png", ":/skins/car.svg", 1},
    {"skin_logo_png", ":/skins/logo.svg", 1},         {"skin_watermark_png", ":/skins/watermark.svg", 1},
    {"startup", ":/skins/startup.svg", 1},
};
constexpr const char* kLoadingName = "GIF_LOADING";
constexpr const char* kLoadingResource = ":/generated/loading.gif";

// Drawn at twice their size, so they stay sharp when stretched.
QImage RenderSvg(const QString& resource) {
    QSvgRenderer renderer(resource);
    if (!renderer.isValid()) return {};
    QImage image(renderer.defaultSize() * 2, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    renderer.render(&p);
    return image;
}

QHash<QString, Skin>& Loaded() {
    static QHash<QString, Skin> skins;
    return skins;
}

}  // namespace

void RegisterSkin(const QString& name, Skin skin) {
    Loaded().insert(name, std::move(skin));
}

const Skin* FindSkin(const QString& name) {
    auto& skins = Loaded();
    auto it = skins.find(name);
    if (it != skins.end()) return &it.value();
    if (name == kLoadingName) {
        Skin gif = LoadGifSkin(kLoadingResource);
        if (gif.IsNull()) return nullptr;
        return &skins.insert(name, std::move(gif)).value();
    }
    for (const SkinSource& s : kSources) {
        if (name != s.name) continue;
        const QImage image = RenderSvg(s.resource);
        if (image.isNull()) return nullptr;
        const QSize frameSize(image.width() / 2 / s.frames, image.height() / 2);
        return &skins.insert(name, Skin(image, s.frames, frameSize)).value();
    }
    return nullptr;
}

}  // namespace caraudio::widgets
