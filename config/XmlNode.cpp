#include "config/XmlElement.h"
#include "config/XmlName.h"

namespace config {

namespace {

XmlNode Share(XmlElement* element) {
    if (!element) {
        return XmlNode();
    }
    ++element->references;
    return XmlNodeAccess::Adopt(element);
}

bool InRange(int index, int count) {
    return index >= 0 && index < count;
}

}  // namespace

XmlNode::XmlNode(const XmlNode& other) noexcept : element_(other.element_) {
    if (element_) {
        ++element_->references;
    }
}

XmlNode::XmlNode(XmlNode&& other) noexcept : element_(other.element_) {
    other.element_ = nullptr;
}

XmlNode& XmlNode::operator=(const XmlNode& other) noexcept {
    // Take the new reference first so that assigning a handle to itself changes nothing.
    if (other.element_) {
        ++other.element_->references;
    }
    if (element_) {
        ReleaseElement(element_);
    }
    element_ = other.element_;
    return *this;
}

XmlNode& XmlNode::operator=(XmlNode&& other) noexcept {
    if (this != &other) {
        if (element_) {
            ReleaseElement(element_);
        }
        element_ = other.element_;
        other.element_ = nullptr;
    }
    return *this;
}

XmlNode::~XmlNode() {
    if (element_) {
        ReleaseElement(element_);
    }
}

const char* XmlNode::Name() const {
    return element_ ? element_->name : nullptr;
}

bool XmlNode::IsInstruction() const {
    return element_ && element_->instruction;
}

XmlNode XmlNode::Parent() const {
    return element_ ? Share(element_->parent) : XmlNode();
}

int XmlNode::ChildCount() const {
    return element_ ? element_->childCount : 0;
}

int XmlNode::TextCount() const {
    return element_ ? element_->textCount : 0;
}

int XmlNode::ClearCount() const {
    return element_ ? element_->clearCount : 0;
}

int XmlNode::AttributeCount() const {
    return element_ ? element_->attributeCount : 0;
}

int XmlNode::EntryCount() const {
    return ChildCount() + TextCount() + ClearCount() + AttributeCount();
}

XmlNode XmlNode::ChildAt(int index) const {
    return InRange(index, ChildCount()) ? Share(element_->children[index]) : XmlNode();
}

const char* XmlNode::TextAt(int index) const {
    return InRange(index, TextCount()) ? element_->texts[index] : nullptr;
}

const char* XmlNode::ClearAt(int index) const {
    return InRange(index, ClearCount()) ? element_->clears[index].value : nullptr;
}

const char* XmlNode::ClearOpenTagAt(int index) const {
    return InRange(index, ClearCount()) ? element_->clears[index].openTag : nullptr;
}

const char* XmlNode::ClearCloseTagAt(int index) const {
    return InRange(index, ClearCount()) ? element_->clears[index].closeTag : nullptr;
}

const char* XmlNode::AttributeNameAt(int index) const {
    return InRange(index, AttributeCount()) ? element_->attributes[index].name : nullptr;
}

const char* XmlNode::AttributeValueAt(int index) const {
    return InRange(index, AttributeCount()) ? element_->attributes[index].value : nullptr;
}

XmlNode XmlNode::FindChild(const char* name, int* position) const {
    int start = position ? *position : 0;
    if (!name || start < 0) {
        return XmlNode();
    }
    for (int i = start; i < ChildCount(); ++i) {
        XmlElement* child = element_->children[i];
        if (child->name && EqualIgnoringCase(child->name, name)) {
            if (position) {
                *position = i + 1;
            }
            return Share(child);
        }
    }
    return XmlNode();
}

const char* XmlNode::AttributeValue(const char* name, int* position) const {
    int start = position ? *position : 0;
    if (!name || start < 0) {
        return nullptr;
    }
    for (int i = start; i < AttributeCount(); ++i) {
        const XmlAttribute& attribute = element_->attributes[i];
        if (EqualIgnoringCase(attribute.name, name)) {
            if (position) {
                *position = i + 1;
            }
            return attribute.value;
        }
    }
    return nullptr;
}

XmlNode XmlNode::FindChildWithAttribute(const char* element, const char* attribute, const char* value) const {
    if (!value) {
        return XmlNode();
    }
    int childPosition = 0;
    for (XmlNode child = FindChild(element, &childPosition); !child.IsNull();
         child = FindChild(element, &childPosition)) {
        int attributePosition = 0;
        while (const char* found = child.AttributeValue(attribute, &attributePosition)) {
            if (EqualIgnoringCase(found, value)) {
                return child;
            }
        }
    }
    return XmlNode();
}

}  // namespace config
