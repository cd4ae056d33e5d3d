#include "ui/controls/UIEventSource.h"

namespace Veneer {

bool CDelegateBase::Equals(const CDelegateBase& rhs) const
{
    return m_pObject == rhs.m_pObject && m_pTypeTag == rhs.m_pTypeTag && SameTarget(rhs);
}

CEventSource::CEventSource(const CEventSource& rhs)
{
    m_aDelegates.reserve(rhs.m_aDelegates.size());
    for (const CDelegateBase* d : rhs.m_aDelegates) m_aDelegates.push_back(d->Copy());
}

CEventSource& CEventSource::operator=(const CEventSource& rhs)
{
    if (this == &rhs) return *this;
    Clear();
    for (const CDelegateBase* d : rhs.m_aDelegates) m_aDelegates.push_back(d->Copy());
    return *this;
}

CEventSource::~CEventSource()
{
    Clear();
}

void CEventSource::Clear()
{
    std::vector<CDelegateBase*> old;
    old.swap(m_aDelegates);
    for (CDelegateBase* d : old) delete d;
}

int CEventSource::IndexOf(const CDelegateBase& d) const
{
    for (std::size_t i = 0; i < m_aDelegates.size(); ++i) {
        if (m_aDelegates[i]->Equals(d)) return static_cast<int>(i);
    }
    return -1;
}

void CEventSource::operator+=(const CDelegateBase& d)
{
    if (IndexOf(d) >= 0) return;
    m_aDelegates.push_back(d.Copy());
}

void CEventSource::operator+=(FnType pFn)
{
    (*this) += MakeDelegate(pFn);
}

void CEventSource::operator-=(const CDelegateBase& d)
{
    int i = IndexOf(d);
    if (i < 0) return;
    CDelegateBase* p = m_aDelegates[i];
    m_aDelegates.erase(m_aDelegates.begin() + i);
    delete p;
}

void CEventSource::operator-=(FnType pFn)
{
    (*this) -= MakeDelegate(pFn);
}

bool CEventSource::operator()(void* param)
{
    // A delegate may add or remove delegates while it runs; walk by index and
    // call a private copy so that a removal cannot free the running callback.
    for (std::size_t i = 0; i < m_aDelegates.size(); ++i) {
        CDelegateBase* pCopy = m_aDelegates[i]->Copy();
        bool bGoOn = (*pCopy)(param);
        delete pCopy;
        if (!bGoOn) return false;
    }
    return true;
}

} // namespace Veneer
