#pragma once
#include "FakeClock.h"
#include "FakeFileChooser.h"
#include "FakeMessageBox.h"
#include "MemorySettingsStore.h"
#include "TempDir.h"
#include "app/AppServices.h"
#include "model/CKinbookDoc.h"
#include "port/IFileSystem.h"

// What a window needs around it in a test: scripted message boxes, file choices, clock
// and settings, the real file system under a temporary folder, and the document.
struct ScriptedPorts {
    TempDir dir;
    FakeMessageBox messageBox;
    FakeFileChooser fileChooser;
    FakeClock clock;
    MemorySettingsStore settings;
    AppServices services{messageBox, fileChooser, clock, settings, RealFileSystem()};
    CKinbookDoc doc{messageBox, RealFileSystem()};
};
