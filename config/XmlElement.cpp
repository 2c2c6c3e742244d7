#include "config/XmlElement.h"

#include <cassert>
#include <cstdlib>
#include <new>

namespace config {

namespace {

constexpr int kListStep = 50;

template <typename T>
T* Resize(T* list, int entries) {
    auto* resized = static_cast<T*>(std::realloc(list, sizeof(T) * entries));
    if (!resized) {
        XmlOutOfMemory();
    }
    return resized;
}

// Room for 50 at the first entry, then 50 more each time the list is one short of a multiple of
// 50; so the list never moves more often than every 50 entries.
template <typename T>
void Append(XmlElement* element, T*& list, int& count, T entry) {
    assert(!element->trimmed);
    (void)element;
    if (count == 0) {
        list = Resize(list, kListStep);
    } else if ((count + 1) % kListStep == 0) {
        list = Resize(list, count + 1 + kListStep);
    }
    list[count++] = entry;
}

template <typename T>
void Trim(T*& list, int count) {
    if (count > 0) {
        list = Resize(list, count);
    }
}

XmlElement* NewElement(XmlArena* arena, const char* name, bool instruction, XmlElement* parent) {
    auto* element = new (arena->Allocate(sizeof(XmlElement), alignof(XmlElement))) XmlElement{};
    element->name = name;
    element->instruction = instruction;
    element->parent = parent;
    element->references = 1;
    element->arena = arena;
    arena->AddUser();
    return element;
}

}  // namespace

XmlElement* CreateDocumentRoot() {
    return NewElement(XmlArena::Create(), nullptr, false, nullptr);
}

XmlElement* AddChild(XmlElement* parent, const char* name, bool instruction) {
    XmlElement* child = NewElement(parent->arena, name, instruction, parent);
    Append(parent, parent->children, parent->childCount, child);
    return child;
}

void AddAttribute(XmlElement* element, const char* name, const char* value) {
    Append(element, element->attributes, element->attributeCount, XmlAttribute{name, value});
}

void AddText(XmlElement* element, const char* text) {
    Append(element, element->texts, element->textCount, text);
}

void AddClear(XmlElement* element, const char* value, const char* openTag, const char* closeTag) {
    Append(element, element->clears, element->clearCount, XmlClear{value, openTag, closeTag});
}

void TrimLists(XmlElement* element) {
    Trim(element->children, element->childCount);
    Trim(element->texts, element->textCount);
    Trim(element->clears, element->clearCount);
    Trim(element->attributes, element->attributeCount);
    element->trimmed = true;
}

void ReleaseElement(XmlElement* element) {
    if (--element->references > 0) {
        return;
    }
    // Records whose last reference went are chained through their (then unused) parent link.
    element->parent = nullptr;
    XmlElement* dying = element;
    while (dying) {
        XmlElement* record = dying;
        dying = record->parent;
        for (int i = 0; i < record->childCount; ++i) {
            XmlElement* child = record->children[i];
            child->parent = nullptr;
            if (--child->references == 0) {
                child->parent = dying;
                dying = child;
            }
        }
        std::free(record->children);
        std::free(record->texts);
        std::free(record->clears);
        std::free(record->attributes);
        record->arena->ReleaseUser();
    }
}

}  // namespace config
