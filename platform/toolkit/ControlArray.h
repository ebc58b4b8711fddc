#pragma once
// A control array: like controls sharing one set of handlers, indexed by a
// 16-bit index. Element 0 exists from the start; Load(n) creates element n
// as a hidden copy of element 0 in element 0's container.

#include "toolkit/TkError.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace tk {

template <class T> class ControlArray {
public:
    // Wires an element's events to the array's handlers, with its index bound.
    using Wiring = std::function<void(int16_t index, T &element)>;

    explicit ControlArray(std::unique_ptr<T> element0) { m_elements[0] = std::move(element0); }

    void setWiring(Wiring wiring)
    {
        m_wiring = std::move(wiring);
        for (auto &[index, element] : m_elements)
            m_wiring(index, *element);
    }

    // A missing element: error 340.
    T &operator()(int16_t index) const
    {
        auto it = m_elements.find(index);
        if (it == m_elements.end())
            throw TkError(kElementNotLoaded);
        return *it->second;
    }
    bool exists(int16_t index) const { return m_elements.count(index) != 0; }
    int count() const { return int(m_elements.size()); }

    // An element that exists already: error 360.
    void Load(int16_t index)
    {
        if (exists(index))
            throw TkError(kAlreadyLoaded);
        if (m_loadHook)
            m_loadHook(index);
        std::unique_ptr<T> element = m_elements.at(0)->cloneHidden();
        if (m_wiring)
            m_wiring(index, *element);
        m_elements[index] = std::move(element);
    }

    // Tests make a Load fail (an engine that cannot start another view).
    void setLoadHook(std::function<void(int16_t)> hook) { m_loadHook = std::move(hook); }

private:
    std::map<int16_t, std::unique_ptr<T>> m_elements;
    Wiring m_wiring;
    std::function<void(int16_t)> m_loadHook;
};

} // namespace tk
