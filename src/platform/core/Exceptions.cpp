#include "platform/core/Exceptions.h"

#include <new>

namespace plat {

const char* ExceptionClassName(const std::exception& e) {
    if (auto* ours = dynamic_cast<const Exception*>(&e)) return ours->ClassName();
    if (dynamic_cast<const std::bad_alloc*>(&e)) return "EOutOfMemory";
    if (dynamic_cast<const std::out_of_range*>(&e)) return "ERangeError";
    if (dynamic_cast<const std::invalid_argument*>(&e)) return "EConvertError";
    return "Exception";
}

}  // namespace plat
