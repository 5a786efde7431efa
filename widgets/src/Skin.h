#pragma once

#include <QImage>
#include <QPainter>
#include <QString>
#include <vector>

namespace caraudio::widgets {

// An image with state frames side by side (frame n is the n-th equal slice),
// or an animation: frames with their delays in hundredths of a second.
class Skin {
public:
    Skin() = default;
    // `frameSize` is the size the skin stands for; the image may be drawn at
    // a higher resolution.
    Skin(QImage strip, int frames, QSize frameSize = {});
    static Skin Animation(std::vector<QImage> frames, std::vector<int> delays);

    bool IsNull() const { return frames_.empty(); }
    bool IsAnimation() const { return animation_; }
    int FrameCount() const { return static_cast<int>(frames_.size()); }
    QSize Size() const { return size_; }
    // Hundredths of a second; 0 for still skins.
    int Delay(int frame) const;
    const QImage& Frame(int frame) const;

    // Draws a frame (clamped to the ones there are) stretched over target.
    void Draw(QPainter& painter, const QRect& target, int frame) const;

private:
    std::vector<QImage> frames_;
    std::vector<int> delays_;
    QSize size_;
    bool animation_ = false;
};

// The skins of the program, by name, loaded from its resources on first use.
// A name that is no skin gives null.
const Skin* FindSkin(const QString& name);
// Adds or replaces a skin (tests and customisation files).
void RegisterSkin(const QString& name, Skin skin);

// Reads every frame and its delay from a GIF file or resource.
Skin LoadGifSkin(const QString& path);

}  // namespace caraudio::widgets
