// SPDX-License-Identifier: MIT
#include "lifetime.hpp"

#include <algorithm>
#include <atomic>
#include <iterator>

namespace chronexa::py {

namespace {

struct KeptSlot {
  void* slot;
  void (*reset)(void*) noexcept;
};

PyMutex kept_lock = {};
KeptSlot kept[32];  // 12 in use: 7 types, the free lists, the Weekday members,
                    // PanicException, 2 names
std::size_t kept_count = 0;
bool exit_function_registered = false;

// Runs at the end of Py_FinalizeEx, when no Python object may be touched.
void forget_kept() noexcept {
  PyMutex_Lock(&kept_lock);
  for (std::size_t i = 0; i < kept_count; ++i) kept[i].reset(kept[i].slot);
  kept_count = 0;
  exit_function_registered = false;  // the interpreter has popped it
  PyMutex_Unlock(&kept_lock);
}

}  // namespace

bool keep_for_interpreter(void* slot, void (*reset)(void*) noexcept) noexcept {
  PyMutex_Lock(&kept_lock);
  bool ok = exit_function_registered || Py_AtExit(forget_kept) == 0;
  exit_function_registered = ok;
  const auto known = [&](const KeptSlot& k) { return k.slot == slot; };
  if (ok && std::none_of(kept, kept + kept_count, known)) {
    if (kept_count < std::size(kept)) kept[kept_count++] = {slot, reset};
    else ok = false;
  }
  PyMutex_Unlock(&kept_lock);
  if (!ok) PyErr_SetString(PyExc_RuntimeError, "could not register chronexa's finalisation step");
  return ok;
}

PyObject* interned(std::atomic<PyObject*>& slot, const char* text) noexcept {
  PyObject* name = slot.load(std::memory_order_acquire);
  if (name != nullptr) return name;
  if (!keep_for_interpreter(slot)) return nullptr;
  PyObject* made = PyUnicode_InternFromString(text);
  if (made == nullptr) return nullptr;
  if (!slot.compare_exchange_strong(name, made, std::memory_order_acq_rel)) {
    Py_DECREF(made);  // another thread published the same name first
    return name;
  }
  return made;
}

}  // namespace chronexa::py
