#pragma once
// An ordered collection whose items are also reached by a unique text key, with the runtime's
// collection errors: 457 for a key already present, 5 for an unknown key.

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/core/kb_error.h"

namespace kb {

template <class T>
class KeyedCollection {
public:
    void Add(T item, const std::string& key) {
        if (Has(key)) throw KbError(err::KeyAlreadyAssociated, "Collection");
        items_.push_back(std::move(item));
        keys_.push_back(key);
    }
    bool Has(const std::string& key) const {
        return std::find(keys_.begin(), keys_.end(), key) != keys_.end();
    }
    const T& Item(const std::string& key) const { return items_[Position(key)]; }
    void Remove(const std::string& key) {
        const size_t pos = Position(key);
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(pos));
        keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(pos));
    }
    void Clear() {
        items_.clear();
        keys_.clear();
    }
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    // The items in the order added, and their keys beside them.
    const std::vector<T>& Items() const { return items_; }
    const std::vector<std::string>& Keys() const { return keys_; }

private:
    size_t Position(const std::string& key) const {
        auto it = std::find(keys_.begin(), keys_.end(), key);
        if (it == keys_.end()) throw KbError(err::InvalidArgument, "Collection");
        return static_cast<size_t>(it - keys_.begin());
    }

    std::vector<T> items_;
    std::vector<std::string> keys_;
};

// Result is true when the collection holds an item under the key.
template <class T>
void CollectionHasKey(const KeyedCollection<T>& Coll, const std::string& Key, bool& Result) {
    Result = Coll.Has(Key);
}

}  // namespace kb
