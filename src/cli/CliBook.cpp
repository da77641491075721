#include "CliBook.h"
#include "CliVerb.h"
#include "port/IFileSystem.h"
#include <iostream>

CliBook::CliBook(CliMessageBox::Information information)
    : m_box(information), m_doc(m_box, RealFileSystem()) {
    m_doc.SetKeepDamagedCopies(false);
}

bool CliBook::Load(const std::string& path) {
    return m_doc.Load(path);
}

int CliBook::Save(const std::string& path) {
    return m_doc.Save(path) ? kExitOk : kExitFile;
}

std::optional<std::uint16_t> CliBook::Category(const CliVerb& verb, const std::string& name) const {
    const auto index = m_doc.GetCategories().Find(name);
    if (!index)
        verb.UsageError("the book has no category named '" + name + "'");
    return index;
}

int FlushedStdout() {
    std::cout.flush();
    return std::cout ? kExitOk : kExitFile;
}
