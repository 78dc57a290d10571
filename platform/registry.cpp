#include "platform/registry.h"

#include "platform/files.h"
#include "platform/registry_format.h"

#include <algorithm>

namespace platform {
namespace {

std::string lowerAscii(std::string_view text)
{
    std::string lower(text);
    for (auto& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    }
    return lower;
}

std::string_view shortRoot(std::string_view root)
{
    static constexpr std::pair<std::string_view, std::string_view> kRoots[] = {
        { "hkey_current_user", "HKCU" },
        { "hkey_local_machine", "HKLM" },
        { "hkey_classes_root", "HKCR" },
        { "hkey_users", "HKU" },
        { "hkcu", "HKCU" },
        { "hklm", "HKLM" },
        { "hkcr", "HKCR" },
        { "hku", "HKU" },
    };
    auto lower = lowerAscii(root);
    for (const auto& [name, shortName] : kRoots) {
        if (lower == name)
            return shortName;
    }
    return root;
}

bool sameName(std::string_view a, std::string_view b)
{
    return lowerAscii(a) == lowerAscii(b);
}

Error notFound(std::string context)
{
    return Error { ErrorCode::NotFound, std::move(context), 0 };
}

} // namespace

std::string canonicalKeyPath(std::string_view key)
{
    std::string canonical;
    bool first = true;
    while (!key.empty()) {
        auto end = key.find('\\');
        auto part = key.substr(0, end);
        key.remove_prefix(end == std::string_view::npos ? key.size() : end + 1);
        if (part.empty())
            continue;
        if (!first)
            canonical += '\\';
        canonical += first ? shortRoot(part) : part;
        first = false;
    }
    return canonical;
}

Registry::Registry(std::filesystem::path file)
    : m_file(std::move(file))
{
}

IoResult<std::unique_ptr<Registry>> Registry::open(std::filesystem::path file)
{
    std::unique_ptr<Registry> registry(new Registry(std::move(file)));
    TRY(registry->load());
    return registry;
}

std::unique_ptr<Registry> Registry::inMemory()
{
    return std::unique_ptr<Registry>(new Registry({}));
}

IoResult<void> Registry::load()
{
    // How the format's errors begin; the file's path takes its place.
    constexpr std::string_view kStoreWord = "registry store";
    auto text = readWholeFile(m_file);
    if (!text) {
        if (text.error().code == ErrorCode::NotFound)
            return {};
        return text.error();
    }
    auto parsed = parseRegistryText(*text);
    if (!parsed) {
        // "<file> line 15: bad key": the user can find what to mend.
        Error error = parsed.error();
        if (error.context.starts_with(kStoreWord))
            error.context.replace(0, kStoreWord.size(), m_file.string());
        return error;
    }
    auto records = std::move(*parsed);
    std::string current;
    for (auto& record : records) {
        if (record.kind == RegistryRecord::Kind::Key) {
            current = canonicalKeyPath(record.name);
            if (current.empty())
                return Error { ErrorCode::Protocol, m_file.string() + ": empty key name", 0 };
            addKey(current);
            continue;
        }
        Key* key = findKey(current);
        if (!key)
            return Error { ErrorCode::Protocol, m_file.string() + ": value before any key", 0 };
        Value value;
        value.name = record.name;
        value.type = record.kind == RegistryRecord::Kind::Dword ? ValueType::Dword : ValueType::String;
        value.text = record.text;
        value.dword = record.dword;
        std::erase_if(key->values, [&](const Value& v) { return sameName(v.name, value.name); });
        key->values.push_back(std::move(value));
    }
    return {};
}

std::string Registry::serialise() const
{
    std::vector<const Key*> keys;
    for (const auto& [lower, key] : m_keys)
        keys.push_back(&key);
    std::sort(keys.begin(), keys.end(), [](const Key* a, const Key* b) { return a->order < b->order; });
    std::vector<RegistryRecord> records;
    for (const Key* key : keys) {
        records.push_back(RegistryRecord { RegistryRecord::Kind::Key, key->path, {}, 0 });
        for (const auto& value : key->values) {
            auto kind = value.type == ValueType::Dword ? RegistryRecord::Kind::Dword : RegistryRecord::Kind::String;
            records.push_back(RegistryRecord { kind, value.name, value.text, value.dword });
        }
    }
    return formatRegistryText(records);
}

IoResult<void> Registry::save() const
{
    if (m_file.empty())
        return {};
    return writeFileAtomically(m_file, serialise(), kPrivateFileMode);
}

const Registry::Key* Registry::findKey(std::string_view key) const
{
    auto found = m_keys.find(lowerAscii(canonicalKeyPath(key)));
    return found == m_keys.end() ? nullptr : &found->second;
}

Registry::Key* Registry::findKey(std::string_view key)
{
    return const_cast<Key*>(std::as_const(*this).findKey(key));
}

void Registry::addKey(const std::string& canonical)
{
    // Parents exist whenever a child does, as in the registry.
    std::string_view path = canonical;
    for (std::size_t end = 0; end != std::string_view::npos;) {
        end = path.find('\\', end == 0 ? 0 : end + 1);
        auto prefix = std::string(path.substr(0, end));
        auto lower = lowerAscii(prefix);
        if (!m_keys.count(lower))
            m_keys.emplace(lower, Key { prefix, m_nextOrder++, {} });
    }
}

bool Registry::keyExists(std::string_view key) const
{
    std::lock_guard lock(m_mutex);
    return findKey(key) != nullptr;
}

IoResult<void> Registry::createKey(std::string_view key)
{
    auto canonical = canonicalKeyPath(key);
    if (canonical.empty())
        return Error { ErrorCode::InvalidArgument, "registry key name is empty", 0 };
    std::lock_guard lock(m_mutex);
    if (findKey(canonical))
        return {};
    addKey(canonical);
    return save();
}

IoResult<void> Registry::deleteKey(std::string_view key)
{
    auto lower = lowerAscii(canonicalKeyPath(key));
    std::lock_guard lock(m_mutex);
    if (lower.empty() || !m_keys.count(lower))
        return notFound("registry key " + std::string(key));
    std::erase_if(m_keys, [&](const auto& entry) {
        const auto& name = entry.first;
        return name == lower || (name.size() > lower.size() && name.starts_with(lower) && name[lower.size()] == '\\');
    });
    return save();
}

std::vector<std::string> Registry::listSubkeys(std::string_view key) const
{
    auto lower = lowerAscii(canonicalKeyPath(key));
    std::lock_guard lock(m_mutex);
    std::vector<const Key*> children;
    for (const auto& [name, child] : m_keys) {
        if (name.size() > lower.size() + 1 && name.starts_with(lower) && name[lower.size()] == '\\'
            && name.find('\\', lower.size() + 1) == std::string::npos)
            children.push_back(&child);
    }
    std::sort(children.begin(), children.end(), [](const Key* a, const Key* b) { return a->order < b->order; });
    std::vector<std::string> names;
    for (const Key* child : children)
        names.push_back(child->path.substr(child->path.rfind('\\') + 1));
    return names;
}

std::vector<std::string> Registry::listValues(std::string_view key) const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> names;
    if (const Key* found = findKey(key)) {
        for (const auto& value : found->values)
            names.push_back(value.name);
    }
    return names;
}

const Registry::Value* Registry::findValue(std::string_view key, std::string_view name) const
{
    const Key* found = findKey(key);
    if (!found)
        return nullptr;
    for (const auto& value : found->values) {
        if (sameName(value.name, name))
            return &value;
    }
    return nullptr;
}

std::optional<ValueType> Registry::valueType(std::string_view key, std::string_view name) const
{
    std::lock_guard lock(m_mutex);
    const Value* value = findValue(key, name);
    return value ? std::optional(value->type) : std::nullopt;
}

std::optional<std::string> Registry::getString(std::string_view key, std::string_view name) const
{
    std::lock_guard lock(m_mutex);
    const Value* value = findValue(key, name);
    if (!value || value->type != ValueType::String)
        return std::nullopt;
    return value->text;
}

std::optional<std::uint32_t> Registry::getDword(std::string_view key, std::string_view name) const
{
    std::lock_guard lock(m_mutex);
    const Value* value = findValue(key, name);
    if (!value || value->type != ValueType::Dword)
        return std::nullopt;
    return value->dword;
}

IoResult<void> Registry::setValue(std::string_view key, Value value)
{
    std::lock_guard lock(m_mutex);
    Key* found = findKey(key);
    if (!found)
        return notFound("registry key " + std::string(key));
    for (auto& existing : found->values) {
        if (sameName(existing.name, value.name)) {
            value.name = existing.name; // The name keeps its first spelling.
            existing = std::move(value);
            return save();
        }
    }
    found->values.push_back(std::move(value));
    return save();
}

IoResult<void> Registry::setString(std::string_view key, std::string_view name, std::string_view value)
{
    return setValue(key, Value { std::string(name), ValueType::String, std::string(value), 0 });
}

IoResult<void> Registry::setDword(std::string_view key, std::string_view name, std::uint32_t value)
{
    return setValue(key, Value { std::string(name), ValueType::Dword, {}, value });
}

IoResult<void> Registry::deleteValue(std::string_view key, std::string_view name)
{
    std::lock_guard lock(m_mutex);
    Key* found = findKey(key);
    if (!found)
        return notFound("registry key " + std::string(key));
    auto removed = std::erase_if(found->values, [&](const Value& v) { return sameName(v.name, name); });
    if (removed == 0)
        return notFound("registry value " + std::string(name));
    return save();
}

} // namespace platform
