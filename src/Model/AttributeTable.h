// AttributeTable: an entity's attributes bound to the members that hold them, so that the feed import and
// the store read and write every attribute by name without knowing each one.
//
// Thread contract: the table itself is immutable and may be shared; reading or writing an entity through it
// follows the entity's own rules.
#pragma once

#include "Foundation/Json.h"
#include "Model/AttributeValues.h"
#include "Model/EntityAttribute.h"
#include "Model/SQLiteStatement.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

namespace movra {

template <class Entity>
class AttributeTable {
  public:
    /// A value that is not a plain member (a list kept as records): read as JSON, written from JSON.
    struct Accessors {
        std::function<Json(const Entity&)> get;
        std::function<void(Entity&, const Json&)> set;
    };
    /// Text and Data attributes are strings, Integer int32, Boolean bool, Date seconds since 1970.
    using Field = std::variant<std::optional<std::string> Entity::*, std::optional<std::int32_t> Entity::*,
                               std::optional<bool> Entity::*, std::optional<double> Entity::*, Accessors>;
    struct Binding {
        EntityAttribute attribute;
        Field field;
    };
    /// What JSON null does: in the store it is an absent value; in a feed dictionary it is the null marker,
    /// which leaves the attribute as it was.
    enum class NullMarker { Clears, Skipped };

    explicit AttributeTable(std::vector<Binding> bindings) : bindings_(std::move(bindings)) {
        for (std::size_t i = 0; i < bindings_.size(); ++i) {
            attributes_.push_back(bindings_[i].attribute);
            byName_.emplace(bindings_[i].attribute.name, i);
        }
    }

    const std::vector<EntityAttribute>& attributes() const { return attributes_; }

    /// Every attribute by name, in table order; null for an absent value.
    Json values(const Entity& entity) const {
        Json values = Json::object();
        for (const auto& [attribute, field] : bindings_)
            appendNewMember(values, attribute.name,
                            std::visit([&](const auto& f) { return valueOf(entity, f); }, field));
        return values;
    }

    /// The attribute `name`'s value; null when absent or when the entity has no such attribute.
    Json value(const Entity& entity, const std::string& name) const {
        auto it = byName_.find(name);
        if (it == byName_.end()) return Json();
        return std::visit([&](const auto& f) { return valueOf(entity, f); }, bindings_[it->second].field);
    }

    /// Sets every attribute named in `dictionary` (other keys are ignored). A value is converted to the
    /// attribute's kind (numbers from text through their floating-point reading, dates from the feed's
    /// text); a value that cannot be converted leaves the attribute as it was.
    void setValues(Entity& entity, const Json& dictionary, NullMarker null) const {
        if (!dictionary.is_object()) return;
        for (auto it = dictionary.begin(); it != dictionary.end(); ++it) {
            auto found = byName_.find(it.key());
            if (found == byName_.end() || (it->is_null() && null == NullMarker::Skipped)) continue;
            const auto& binding = bindings_[found->second];
            std::visit([&](const auto& f) { assign(entity, f, *it, binding.attribute.kind); }, binding.field);
        }
    }

    /// Binds every attribute, in table order, to the statement's parameters from `firstIndex` on: what
    /// binding each of values() would do, without building the dictionary.
    void bindValues(const Entity& entity, SQLiteStatement& statement, int firstIndex) const {
        int index = firstIndex;
        for (const auto& binding : bindings_) {
            if (auto text = std::get_if<std::optional<std::string> Entity::*>(&binding.field)) {
                const auto& value = entity.**text;
                if (value)
                    statement.bindText(index, *value);
                else
                    statement.bindNull(index);
            } else {
                statement.bind(index, std::visit([&](const auto& f) { return valueOf(entity, f); }, binding.field));
            }
            ++index;
        }
    }

    /// Sets every attribute from the row's columns, which are in table order; NULL clears.
    void setValues(Entity& entity, const SQLiteStatement& row) const {
        for (std::size_t i = 0; i < bindings_.size(); ++i) {
            const int column = static_cast<int>(i);
            const auto& binding = bindings_[i];
            // Text is taken straight from the row; the other kinds go through the dictionary conversions.
            if (auto text = std::get_if<std::optional<std::string> Entity::*>(&binding.field))
                entity.** text = row.columnText(column);
            else
                std::visit([&](const auto& f) { assign(entity, f, row.columnValue(column), binding.attribute.kind); },
                           binding.field);
        }
    }

  private:
    template <class T>
    static Json valueOf(const Entity& entity, std::optional<T> Entity::*field) {
        const auto& value = entity.*field;
        return value ? Json(*value) : Json();
    }
    static Json valueOf(const Entity& entity, const Accessors& accessors) { return accessors.get(entity); }

    // Writes `converted` unless the value was neither null nor convertible.
    template <class T, class U>
    static void store(std::optional<T>& member, const Json& value, const std::optional<U>& converted) {
        if (value.is_null())
            member.reset();
        else if (converted)
            member = static_cast<T>(*converted);
    }
    static void assign(Entity& entity, std::optional<std::string> Entity::*field, const Json& value,
                       EntityAttribute::Kind kind) {
        store(entity.*field, value, textFromValue(value, kind));
    }
    static void assign(Entity& entity, std::optional<std::int32_t> Entity::*field, const Json& value,
                       EntityAttribute::Kind) {
        auto number = numberFromValue(value);
        store(entity.*field, value, number ? std::optional(int32Value(*number)) : std::nullopt);
    }
    static void assign(Entity& entity, std::optional<bool> Entity::*field, const Json& value, EntityAttribute::Kind) {
        auto number = numberFromValue(value);
        store(entity.*field, value, number ? std::optional(*number != 0) : std::nullopt);
    }
    static void assign(Entity& entity, std::optional<double> Entity::*field, const Json& value, EntityAttribute::Kind) {
        store(entity.*field, value, dateFromValue(value));
    }
    static void assign(Entity& entity, const Accessors& accessors, const Json& value, EntityAttribute::Kind) {
        accessors.set(entity, value);
    }

    std::vector<Binding> bindings_;
    std::unordered_map<std::string, std::size_t> byName_;
    std::vector<EntityAttribute> attributes_;
};

}  // namespace movra
