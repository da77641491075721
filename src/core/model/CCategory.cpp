#include "model/CCategory.h"
#include "model/CArchive.h"

void CCategory::Serialize(CArchive& ar) {
    if (ar.IsStoring())
        ar.WriteString(m_strName);
    else
        m_strName = ar.ReadString();
}
