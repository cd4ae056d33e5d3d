#ifndef VENEER_UIEVENTSOURCE_H
#define VENEER_UIEVENTSOURCE_H

#include <cstddef>
#include <vector>

namespace Veneer {

// One callback of the form bool(void*). Delegates are values: an event source keeps
// its own copies, and two delegates are equal when they call the same function on
// the same object.
class CDelegateBase
{
public:
    virtual ~CDelegateBase() {}

    bool operator()(void* param) { return Invoke(param); }
    bool Equals(const CDelegateBase& rhs) const;

    virtual CDelegateBase* Copy() const = 0;

protected:
    CDelegateBase(void* pObject, const void* pTypeTag) : m_pObject(pObject), m_pTypeTag(pTypeTag) {}

    virtual bool Invoke(void* param) = 0;
    // Called only when object and type tag already match.
    virtual bool SameTarget(const CDelegateBase& rhs) const = 0;

    void* GetTargetObject() const { return m_pObject; }

private:
    void* m_pObject;
    const void* m_pTypeTag;
};

// A plain function.
class CDelegateStatic : public CDelegateBase
{
public:
    typedef bool (*Fn)(void*);

    explicit CDelegateStatic(Fn pFn) : CDelegateBase(nullptr, TypeTag()), m_pFn(pFn) {}

    CDelegateBase* Copy() const override { return new CDelegateStatic(*this); }

protected:
    bool Invoke(void* param) override { return m_pFn ? m_pFn(param) : true; }
    bool SameTarget(const CDelegateBase& rhs) const override
    {
        return m_pFn == static_cast<const CDelegateStatic&>(rhs).m_pFn;
    }

private:
    static const void* TypeTag() { static const char tag = 0; return &tag; }
    Fn m_pFn;
};

// A member function of class T called on an object of class O (O derives from T).
template <class O, class T>
class CDelegate : public CDelegateBase
{
public:
    typedef bool (T::*Fn)(void*);

    CDelegate(O* pObj, Fn pFn) : CDelegateBase(pObj, TypeTag()), m_pObj(pObj), m_pFn(pFn) {}

    CDelegateBase* Copy() const override { return new CDelegate(*this); }

protected:
    bool Invoke(void* param) override { return (m_pObj && m_pFn) ? (m_pObj->*m_pFn)(param) : true; }
    bool SameTarget(const CDelegateBase& rhs) const override
    {
        return m_pFn == static_cast<const CDelegate&>(rhs).m_pFn;
    }

private:
    static const void* TypeTag() { static const char tag = 0; return &tag; }
    O* m_pObj;
    Fn m_pFn;
};

template <class O, class T>
CDelegate<O, T> MakeDelegate(O* pObject, bool (T::*pFn)(void*))
{
    return CDelegate<O, T>(pObject, pFn);
}

inline CDelegateStatic MakeDelegate(bool (*pFn)(void*))
{
    return CDelegateStatic(pFn);
}

// Ordered multicast list of delegates. Calling it calls every delegate in order and
// stops at the first one that answers false; an empty source answers true.
class CEventSource
{
public:
    typedef bool (*FnType)(void*);

    CEventSource() = default;
    CEventSource(const CEventSource& rhs);
    CEventSource& operator=(const CEventSource& rhs);
    ~CEventSource();

    operator bool() const { return !m_aDelegates.empty(); }
    int GetCount() const { return static_cast<int>(m_aDelegates.size()); }

    void operator+=(const CDelegateBase& d);   // an equal delegate is not added twice
    void operator+=(FnType pFn);
    void operator-=(const CDelegateBase& d);
    void operator-=(FnType pFn);
    bool operator()(void* param);

    void Clear();

private:
    int IndexOf(const CDelegateBase& d) const;

    std::vector<CDelegateBase*> m_aDelegates;
};

} // namespace Veneer

#endif // VENEER_UIEVENTSOURCE_H
