#pragma once
#include <QString>

// Every widget that has a number gets its constant's name as objectName, so tests
// find it with findChild. Use: SetIdName(widget, "IDC_LAST_NAME").
inline void SetIdName(QObject* object, const char* constantName) {
    object->setObjectName(QString::fromLatin1(constantName));
}
