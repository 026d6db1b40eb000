// A plugin for QEMU's user-mode emulator that counts every guest instruction
// executed and prints the total on exit: callgrind's count, for 32-bit
// programs also on kernels that cannot run them. The few entry points used
// are declared here as QEMU's plugin interface (version 1) defines them.
#include <cinttypes>
#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" {

using qemu_plugin_id_t = uint64_t;
struct qemu_plugin_tb;
enum qemu_plugin_op { QEMU_PLUGIN_INLINE_ADD_U64 };
using TranslationCallback = void (*)(qemu_plugin_id_t, qemu_plugin_tb*);
using ExitCallback = void (*)(qemu_plugin_id_t, void*);

void qemu_plugin_register_vcpu_tb_trans_cb(qemu_plugin_id_t, TranslationCallback);
size_t qemu_plugin_tb_n_insns(const qemu_plugin_tb*);
void qemu_plugin_register_vcpu_tb_exec_inline(qemu_plugin_tb*, qemu_plugin_op, void*, uint64_t);
void qemu_plugin_register_atexit_cb(qemu_plugin_id_t, ExitCallback, void*);

__attribute__((visibility("default"))) int qemu_plugin_version = 1;

namespace {

uint64_t executed = 0;

// Each translated block adds its instruction count whenever it runs.
void Translated(qemu_plugin_id_t, qemu_plugin_tb* block)
{
    qemu_plugin_register_vcpu_tb_exec_inline(block, QEMU_PLUGIN_INLINE_ADD_U64, &executed,
        qemu_plugin_tb_n_insns(block));
}

void Exited(qemu_plugin_id_t, void*)
{
    std::fprintf(stderr, "instructions %" PRIu64 "\n", executed);
}

} // namespace

__attribute__((visibility("default"))) int qemu_plugin_install(qemu_plugin_id_t id, const void*, int, char**)
{
    qemu_plugin_register_vcpu_tb_trans_cb(id, Translated);
    qemu_plugin_register_atexit_cb(id, Exited, nullptr);
    return 0;
}

} // extern "C"
