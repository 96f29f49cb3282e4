// SPDX-License-Identifier: GPL-3.0-or-later
// GNOME's do-not-disturb: banners off (org.gnome.desktop.notifications show-banners), read and followed through
// GSettings. GIO is loaded only on GNOME, when the setting is first wanted: elsewhere the program never maps it.
#include "BusySource.h"

#include <QByteArray>
#include <QLibrary>

#include <type_traits>

namespace platform {
namespace {

// The few GIO and GObject functions used, looked up by name.
struct Gio {
    void* (*sourceGetDefault)() = nullptr;
    void* (*sourceLookup)(void*, const char*, int) = nullptr;
    int (*schemaHasKey)(void*, const char*) = nullptr;
    void (*schemaUnref)(void*) = nullptr;
    void* (*settingsNew)(const char*) = nullptr;
    int (*getBoolean)(void*, const char*) = nullptr;
    unsigned long (*connectData)(void*, const char*, void (*)(), void*, void*, int) = nullptr;
    void (*disconnectHandler)(void*, unsigned long) = nullptr;
    void (*objectUnref)(void*) = nullptr;

    // Loaded once; nullptr where GIO is not installed (resolving loads the library, and finds nothing then).
    static const Gio* get()
    {
        static const Gio loaded = [] {
            QLibrary library(QStringLiteral("gio-2.0"), 0);
            Gio gio;
            const auto find = [&](auto& function, const char* name) {
                function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
                return function != nullptr;
            };
            if (!(find(gio.sourceGetDefault, "g_settings_schema_source_get_default") &&
                  find(gio.sourceLookup, "g_settings_schema_source_lookup") &&
                  find(gio.schemaHasKey, "g_settings_schema_has_key") &&
                  find(gio.schemaUnref, "g_settings_schema_unref") && find(gio.settingsNew, "g_settings_new") &&
                  find(gio.getBoolean, "g_settings_get_boolean") && find(gio.connectData, "g_signal_connect_data") &&
                  find(gio.disconnectHandler, "g_signal_handler_disconnect") &&
                  find(gio.objectUnref, "g_object_unref")))
                gio.objectUnref = nullptr;
            return gio;
        }();
        return loaded.objectUnref ? &loaded : nullptr;
    }
};

const char kSchema[] = "org.gnome.desktop.notifications";
const char kKey[] = "show-banners";

// Whether the setting exists here (an unknown schema would end the program inside GIO).
bool settingInstalled(const Gio& gio)
{
    void* source = gio.sourceGetDefault();
    void* schema = source ? gio.sourceLookup(source, kSchema, 1) : nullptr;
    if (!schema)
        return false;
    const bool hasKey = gio.schemaHasKey(schema, kKey) != 0;
    gio.schemaUnref(schema);
    return hasKey;
}

class GnomeBannersOff final : public BusySource {
public:
    explicit GnomeBannersOff(const Gio& gio) : BusySource(QmrM::BusyReason::DoNotDisturb), mGio(gio) {}
    ~GnomeBannersOff() override { unfollow(); }

protected:
    void follow() override
    {
        mSettings = mGio.settingsNew(kSchema);
        // The signal comes from GLib's main loop, which Qt's event loop runs on Linux.
        using Changed = void (*)(void*, const char*, void*);
        const Changed onChange = [](void*, const char*, void* self) { static_cast<GnomeBannersOff*>(self)->read(); };
        mHandler = mGio.connectData(mSettings, "changed::show-banners", reinterpret_cast<void (*)()>(onChange), this,
                                    nullptr, 0);
        read();
    }

    void unfollow() override
    {
        if (!mSettings)
            return;
        mGio.disconnectHandler(mSettings, mHandler);
        mGio.objectUnref(mSettings);
        mSettings = nullptr;
    }

private:
    void read() { report(mGio.getBoolean(mSettings, kKey) == 0); }

    const Gio& mGio;
    void* mSettings = nullptr;
    unsigned long mHandler = 0;
};

bool onGnome()
{
    return qgetenv("XDG_CURRENT_DESKTOP").toLower().split(':').contains("gnome");
}

}  // namespace

std::unique_ptr<BusySource> gnomeBannersOffSource()
{
    if (!onGnome())
        return nullptr;
    const Gio* gio = Gio::get();
    if (!gio || !settingInstalled(*gio))
        return nullptr;
    return std::make_unique<GnomeBannersOff>(*gio);
}

}  // namespace platform
