// The fields and get commands: the layout as documentation, and the values
// of a block decoded as the pedestal would show them.
#include "tools/simblock/BlockAccess.h"
#include "tools/simblock/Commands.h"
#include "tools/simblock/Console.h"
#include "tools/simblock/FieldCatalogue.h"
#include "tools/simblock/Items.h"

#include "shm/TS_P_0001_02_genericSim.h"

#include <cstdio>
#include <iostream>
#include <optional>

namespace simblock {
namespace {

std::string TypeText(const FieldInfo& field) {
    const std::size_t count = field.bytes / (field.type == FieldType::Text ? 1 : field.width);
    std::string text(field.typeName);
    if (count > 1)
        text += "[" + std::to_string(count) + "]";
    return text;
}

// One thing that get was asked for: a decoded item, or a field or element.
struct Request {
    std::string label;
    const Item* item = nullptr;
    std::optional<FieldRef> element; // one element; neither means the whole field
    const FieldInfo* field = nullptr;
};

bool Resolve(const std::string& text, Request& request, std::string& error) {
    request.label = text;
    request.item = FindItem(text);
    if (text.find('[') == std::string::npos)
        request.field = FindField(text);
    if (request.item != nullptr || request.field != nullptr)
        return true;
    if (FindField(text.substr(0, text.find('['))) == nullptr) {
        error = "unknown item '" + text + "'; items are " + GetItemNames() + ", and the fields " +
                AcceptedFieldNames();
        return false;
    }
    request.element = ParseFieldRef(text, error);
    return request.element.has_value();
}

std::vector<FieldRef> ElementsOf(const Request& request) {
    if (request.element)
        return {*request.element};
    std::vector<FieldRef> refs;
    for (std::size_t i = 0; i < request.field->elements; ++i)
        refs.push_back({request.field, i});
    return refs;
}

void JsonValue(const Value& value, JsonWriter& out) {
    if (value.type == FieldType::Text)
        out.String(TextOf(value));
    else if (value.type == FieldType::F64)
        out.Number(NumberOf(value));
    else
        out.Integer(IntegerOf(value));
}

std::string ShownValue(const Value& value) {
    return value.type == FieldType::Text ? QuoteText(TextOf(value)) : FormatValue(value);
}

void PrintJson(const std::string& name, const MappedBlock& mapped, bool versionOk,
               const std::vector<Request>& requests) {
    JsonWriter out;
    out.BeginObject().Key("name").String(name);
    out.Key("version").String(mapped.VersionFound()).Key("versionMatches").Bool(versionOk);
    if (versionOk) {
        const PedestalView view = ReadPedestal(mapped.Block());
        for (const Request& request : requests) {
            out.Key(request.label);
            if (request.item != nullptr) {
                request.item->json(view, out);
                continue;
            }
            const std::vector<FieldRef> refs = ElementsOf(request);
            if (refs.size() > 1)
                out.BeginArray();
            for (const FieldRef ref : refs)
                JsonValue(ReadElement(mapped.Block(), ref), out);
            if (refs.size() > 1)
                out.EndArray();
        }
    }
    std::cout << out.EndObject().Text() << '\n';
}

void PrintText(const MappedBlock& mapped, const std::vector<Request>& requests, bool withVersion) {
    const PedestalView view = ReadPedestal(mapped.Block());
    if (withVersion)
        std::printf("%-16s %s (this build's)\n", "version",
                    QuoteText(mapped.VersionFound()).c_str());
    for (const Request& request : requests) {
        std::string shown;
        std::string detail;
        if (request.item != nullptr) {
            shown = request.item->shown(view);
            detail = request.item->detail(view);
        } else {
            for (const FieldRef ref : ElementsOf(request))
                shown += (shown.empty() ? "" : " ") + ShownValue(ReadElement(mapped.Block(), ref));
        }
        std::printf("%-16s %-18s %s\n", request.label.c_str(), shown.c_str(), detail.c_str());
    }
}

} // namespace

std::string GetItemNames() {
    std::string names;
    for (const Item& item : Items())
        names += (names.empty() ? "" : ", ") + std::string(item.name);
    return names;
}

Exit RunFields(bool json) {
    if (json) {
        JsonWriter out;
        out.BeginObject().Key("size").Integer(sizeof(GenericSimBlock)).Key("fields").BeginArray();
        for (const FieldInfo& f : Fields()) {
            out.BeginObject().Key("name").String(f.name).Key("offset").Integer(f.offset);
            out.Key("width").Integer(f.bytes).Key("type").String(TypeText(f));
            out.Key("meaning").String(f.meaning).Key("writer").String(f.writer).EndObject();
        }
        std::cout << out.EndArray().EndObject().Text() << '\n';
        return Exit::Ok;
    }
    std::printf("Block of %zu bytes; every other byte belongs to the simulator.\n\n",
                sizeof(GenericSimBlock));
    std::printf("%6s %5s  %-20s %-20s %-24s %s\n", "offset", "width", "type", "field", "writer",
                "meaning");
    for (const FieldInfo& f : Fields())
        std::printf("%6zu %5zu  %-20s %-20.*s %-24.*s %.*s\n", f.offset, f.bytes,
                    TypeText(f).c_str(), static_cast<int>(f.name.size()), f.name.data(),
                    static_cast<int>(f.writer.size()), f.writer.data(),
                    static_cast<int>(f.meaning.size()), f.meaning.data());
    return Exit::Ok;
}

Exit RunGet(const std::string& name, const std::vector<std::string>& items, bool json) {
    std::vector<Request> requests;
    std::string error;
    for (const std::string& text : items) {
        Request request;
        if (!Resolve(text, request, error)) {
            PrintError(error);
            return Exit::Usage;
        }
        requests.push_back(request);
    }
    if (requests.empty())
        for (const Item& item : Items())
            requests.push_back({std::string(item.name), &item, std::nullopt, nullptr});

    MappedBlock mapped;
    const Exit opened = mapped.Open(name, Access::Read, error);
    if (opened != Exit::Ok && opened != Exit::ForeignVersion) {
        PrintError(error);
        return opened;
    }
    const bool versionOk = opened == Exit::Ok;
    if (json)
        PrintJson(name, mapped, versionOk, requests);
    else if (versionOk)
        PrintText(mapped, requests, items.empty());
    else
        std::printf("%-16s %s\n", "version", QuoteText(mapped.VersionFound()).c_str());
    if (!versionOk)
        PrintError(error);
    return opened;
}

} // namespace simblock
