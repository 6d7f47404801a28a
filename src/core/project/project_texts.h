// The offline project's texts in the language of the Language setting.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "core/operations/operation_context.h"
#include "core/texts/text_catalogue.h"

namespace tq {

inline std::string ProjectText(const OperationContext& context, TextId id,
                               std::initializer_list<std::string_view> values = {}) {
    return Text(context.Texts.Language, id, values);
}

}  // namespace tq
