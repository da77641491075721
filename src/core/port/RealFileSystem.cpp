#include "port/IFileSystem.h"
#include "port/PosixFileSystem.h"

IFileSystem& RealFileSystem() {
    static PosixFileSystem fs;
    return fs;
}
