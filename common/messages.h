// The texts the user can see.
#pragma once

constexpr const char* MessageCaption = "Vellumark";
constexpr const char* LauncherNotInstalledMessage =
    "Vellumark is not properly installed. Please reinstall it.";
constexpr const char* AppletNotInstalledMessage =
    "Vellumark is not properly installed. Please reinstall it. This control "
    "panel applet will uninstall itself on the next reboot.";
