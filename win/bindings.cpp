#include "win/bindings.h"

namespace winlayer {
namespace internal {

std::map<HWND, Binding> Bindings;
std::map<HWND, INT_PTR> EndValues;
HWND Active = nullptr;

}  // namespace internal
}  // namespace winlayer
