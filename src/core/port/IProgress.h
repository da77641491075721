#pragma once

// Progress and cancel for long operations (export, import).
class IProgress {
public:
    virtual ~IProgress() = default;
    virtual void SetPosition(int percent) = 0; // 0..100
    // Also gives the user interface a chance to react; true once Cancel was pressed.
    virtual bool CancelRequested() = 0;
};
