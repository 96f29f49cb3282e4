// SPDX-License-Identifier: GPL-3.0-or-later
// Quillmora's tests read GNOME Shell's own view through this extension (on-desktop.sh --desktop gnome
// installs and enables it): the windows as Mutter stacks and focuses them, the notifications in the
// message list and the banner on screen, and it chooses in a notification as the user's click does. On the
// session bus as io.github.quillmora.ShellView at /ShellView.
'use strict';

const { Gio, GLib, Meta } = imports.gi;
const Main = imports.ui.main;

const INTERFACE = `<node><interface name="io.github.quillmora.ShellView">
  <method name="Windows"><arg type="u" direction="in"/><arg type="s" direction="out"/></method>
  <method name="Notifications"><arg type="s" direction="out"/></method>
  <method name="Getenv"><arg type="s" direction="in"/><arg type="s" direction="out"/></method>
  <method name="LaunchToken"><arg type="s" direction="out"/></method>
  <method name="Choose">
    <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="b" direction="out"/>
  </method>
</interface></node>`;

function notifications() {
    return Main.messageTray.getSources().flatMap(source => source.notifications);
}

function ellipsized(label) {
    return Boolean(label && label.clutter_text.get_layout().is_ellipsized());
}

// How much of the room beside the icon the line's whole text takes (over 1: cut).
function filled(label, room) {
    const [, natural] = label.clutter_text.get_preferred_width(-1);
    return room > 0 ? natural / room : 0;
}

class ShellView {
    // The process's normal windows from the bottom of the stack up, and whether each is the topmost of
    // all the desktop's windows on screen.
    Windows(pid) {
        const all = global.display.sort_windows_by_stacking(
            global.display.list_all_windows().filter(w => w.get_window_type() === Meta.WindowType.NORMAL ||
                                                          w.get_window_type() === Meta.WindowType.DIALOG));
        const onScreen = all.filter(w => !w.minimized && !w.is_hidden());
        const top = onScreen[onScreen.length - 1];
        return JSON.stringify(all.filter(w => w.get_pid() === pid).map(w => ({
            title: w.get_title() || '', shown: !w.minimized && !w.is_hidden(), minimized: w.minimized,
            focused: w.has_focus(), top: w === top,
        })));
    }

    // The shell's environment: DISPLAY and XAUTHORITY tell its Xwayland.
    Getenv(name) {
        return GLib.getenv(name) || '';
    }

    // The startup id the shell's launchers give a program they start now (a click in the dash or the
    // application grid), which GLib puts in DESKTOP_STARTUP_ID and Mutter takes as an activation token.
    LaunchToken() {
        const context = global.create_app_launch_context(global.display.get_current_time_roundtrip(), -1);
        const app = Gio.AppInfo.create_from_commandline('quillmora', 'Quillmora', Gio.AppInfoCreateFlags.NONE);
        return context.get_startup_notify_id(app, []) || '';
    }

    // The notices in the list, and the banner on screen: whether its lines are cut, and how much of their room
// they fill (a larger font or scale takes more).
    Notifications() {
        const banner = Main.messageTray._banner;
        return JSON.stringify({
            notices: notifications().map(n => ({
                title: n.title, body: n.bannerBodyText || '', actions: n.actions.map(a => a.label),
                urgency: n.urgency, resident: n.resident,
            })),
            banner: banner ? {
                title: banner.notification.title, titleCut: ellipsized(banner.titleLabel),
                bodyCut: ellipsized(banner.bodyLabel), titleFilled: filled(banner.titleLabel, banner.titleLabel.get_parent().width),
                bodyFilled: filled(banner.bodyLabel, banner.titleLabel.get_parent().width),
            } : null,
        });
    }

    // Clicks the button `label` of the newest notice titled `title`, or the notice itself (label empty).
    Choose(title, label) {
        const notice = notifications().filter(n => n.title === title).pop();
        if (!notice)
            return false;
        if (!label) {
            notice.activate();
            return true;
        }
        const action = notice.actions.find(a => a.label === label);
        if (!action)
            return false;
        action.callback();
        if (!notice.resident)
            notice.destroy();
        return true;
    }
}

class Extension {
    enable() {
        // The shell starts in the overview; a user's session is on the desktop by the time a program runs.
        if (Main.layoutManager._startingUp)
            Main.layoutManager.connect('startup-complete', () => Main.overview.hide());
        else
            Main.overview.hide();
        this._object = Gio.DBusExportedObject.wrapJSObject(INTERFACE, new ShellView());
        this._object.export(Gio.DBus.session, '/ShellView');
        this._name = Gio.bus_own_name_on_connection(Gio.DBus.session, 'io.github.quillmora.ShellView',
                                                    Gio.BusNameOwnerFlags.NONE, null, null);
    }

    disable() {
        Gio.bus_unown_name(this._name);
        this._object.unexport();
    }
}

function init() {
    return new Extension();
}
