#pragma once

#include <QColor>
#include <QEvent>
#include <QFont>
#include <QRect>
#include <QString>
#include <optional>

class QWidget;

namespace caraudio::widgets {

// Attribute values as layouts write them.
// Integers: decimal or "0x" hexadecimal, the whole text.
std::optional<int> ParseInt(const QString& text);
// Floats without the locale: "0.25" everywhere.
std::optional<double> ParseFloat(const QString& text);
// "#rrggbbaa" (red, green, blue, alpha), or "#rrggbb" as opaque.
std::optional<QColor> ParseColor(const QString& text);
// "size:11,bold:0,face:Arial" on top of a base font; sizes are pixels.
std::optional<QFont> ParseFont(const QString& text, QFont font);
// "x,y" or "left,top,right,bottom", relative to the parent.
std::optional<QRect> ParsePos(const QString& text, const QSize& size);

// A widget whose attributes can be set by name from text. Layouts set them
// either through SetAttribute or as dynamic properties (a .ui file's
// string properties), which HandleAttributeEvent forwards.
class AttributeTarget {
public:
    virtual ~AttributeTarget() = default;
    // True when the attribute is known and its value was accepted.
    virtual bool SetAttribute(const QString& name, const QString& value) = 0;
};

// For a widget's event(): applies a dynamic property change as an attribute.
// Returns true when the event was one.
bool HandleAttributeEvent(QWidget* widget, AttributeTarget* target, QEvent* event);

// Dynamic properties the program keeps on widgets for itself; attribute
// handling ignores them.
inline constexpr const char* kInternalPrefix = "ca_";
inline constexpr const char* kDataProperty = "ca_data";
inline constexpr const char* kControlIdProperty = "ca_id";
int DataOf(const QWidget* widget);
int ControlIdOf(const QWidget* widget);

// The attributes every window of the program has: position, size, text and
// text colour, tooltip, visibility, a background colour and the "data" value.
// Returns false for a name that is none of these.
bool SetCommonAttribute(QWidget* widget, const QString& name, const QString& value);

}  // namespace caraudio::widgets
