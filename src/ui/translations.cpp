#include "ui/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

#include "common/screen_text.h"

namespace klv {

Translations::Translations(Language language)
{
    if (language == Language::English) {
        // Qt's own texts are English already.
        ownLoaded_ = own_.load(QStringLiteral(":/i18n/cellward_en.qm"));
        return;
    }
    qtLoaded_ = qt_.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

// The translators leave the application by themselves; the core's hook must not outlive them.
Translations::~Translations()
{
    if (installed_)
        setScreenTranslator(nullptr);
}

void Translations::install()
{
    installed_ = true;
    if (qtLoaded_)
        QCoreApplication::installTranslator(&qt_);
    if (ownLoaded_)
        QCoreApplication::installTranslator(&own_);
    setScreenTranslator([](const char* context, const char* source) {
        return QCoreApplication::translate(context, source).toStdString();
    });
}

}  // namespace klv
