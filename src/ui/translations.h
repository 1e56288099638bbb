#pragma once

#include <QTranslator>

#include "view/language.h"

namespace klv {

// The station's own texts and Qt's (dialog buttons) in one language. Chinese needs no
// file of the station's own: its texts are the source texts.
class Translations {
public:
    explicit Translations(Language language);
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

    const QTranslator* own() const { return ownLoaded_ ? &own_ : nullptr; }
    // Into the application; the core's screen texts go through it from then on.
    void install();

private:
    QTranslator own_, qt_;
    bool ownLoaded_ = false, qtLoaded_ = false, installed_ = false;
};

}  // namespace klv
