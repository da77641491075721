#pragma once

class IMessageBox;
class IFileChooser;
class IClock;
class ISettingsStore;
class IFileSystem;

// The ports every command works through. The application wires the real ones;
// tests wire scripted fakes.
struct AppServices {
    IMessageBox& messageBox;
    IFileChooser& fileChooser;
    IClock& clock;
    ISettingsStore& settings;
    IFileSystem& fileSystem;
};
