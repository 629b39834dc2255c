#pragma once
// A control array: element 0 is the hidden design-time template; Load(n)
// makes element n as a copy of it, hidden, on top of the template's container.

#include <QString>
#include <functional>
#include <map>
#include <memory>

#include "platform/Controls.h"

namespace orv {

template <class T>
class ControlArray {
  public:
    /// Creates the array with its template (element 0) in container.
    ControlArray(Container& container, const QString& name) : container_(container) {
        auto t = std::make_unique<T>();
        t->Name = name;
        t->Index = 0;
        t->Visible = false;
        container_.Add(*t);
        elements_.emplace(0, std::move(t));
    }
    ~ControlArray() {
        for (auto& [i, e] : elements_) container_.Remove(*e);
    }
    ControlArray(const ControlArray&) = delete;
    ControlArray& operator=(const ControlArray&) = delete;

    /// Element i; a missing element throws ControlMissing.
    T& operator()(int i) const {
        auto it = elements_.find(i);
        if (it == elements_.end()) throw ControlMissing("control array element does not exist");
        return *it->second;
    }
    T* Find(int i) const {
        auto it = elements_.find(i);
        return it == elements_.end() ? nullptr : it->second.get();
    }
    bool Exists(int i) const { return elements_.count(i) != 0; }
    T& Template() const { return (*this)(0); }

    /// Loads element n as a hidden copy of the template, in front of the others.
    T& Load(int n) {
        if (n <= 0 || Exists(n)) throw ControlMissing("control array element already exists");
        std::unique_ptr<T> e(static_cast<T*>(Template().Clone().release()));
        e->Index = n;
        e->Visible = false;
        T& ref = *e;
        container_.Add(ref);
        elements_.emplace(n, std::move(e));
        if (OnLoad) OnLoad(ref);
        return ref;
    }
    /// Unloads element n; a missing one throws ControlMissing.
    void Unload(int n) {
        auto it = elements_.find(n);
        if (n == 0 || it == elements_.end()) throw ControlMissing("cannot unload element");
        if (OnUnload) OnUnload(*it->second);
        container_.Remove(*it->second);
        elements_.erase(it);
    }
    /// Loaded run-time elements (not the template), in index order.
    template <class Fn>
    void ForEach(Fn&& fn) const {
        for (auto& [i, e] : elements_)
            if (i != 0) fn(*e);
    }
    int Count() const { return static_cast<int>(elements_.size()) - 1; }

    /// Wires a freshly loaded element (its handlers, with its index).
    std::function<void(T&)> OnLoad;
    /// Told of an element about to be unloaded (still whole when it is called).
    std::function<void(T&)> OnUnload;

  private:
    Container& container_;
    std::map<int, std::unique_ptr<T>> elements_;
};

}  // namespace orv
