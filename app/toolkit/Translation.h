#pragma once

#include <QString>
#include <QTranslator>
#include <memory>

namespace caraudio::app {

// The interface language: 0 Chinese (table "cn"), 1 English (table "en").
inline constexpr int kChinese = 0;
inline constexpr int kEnglish = 1;

// Installs the translation table of a language in place of the active one;
// the widgets then receive a language-change event and translate again.
class Translation {
public:
    ~Translation();
    bool Use(int language);
    int Language() const { return language_; }

private:
    std::unique_ptr<QTranslator> active_;
    int language_ = -1;
};

// A text of a context in the active language.
QString Tr(const char* context, const char* text);

}  // namespace caraudio::app
