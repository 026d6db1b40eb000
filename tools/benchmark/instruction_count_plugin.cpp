// A plugin for QEMU's user-mode emulator that counts every guest instruction
// executed, and the square roots among them (x87 fsqrt, SSE sqrtsd and
// sqrtss), and prints both on exit: callgrind's count, for 32-bit programs
// also on kernels that cannot run them. The few entry points used
// are declared here as QEMU's plugin interface (version 1) defines them.
#include <cinttypes>
#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" {

using qemu_plugin_id_t = uint64_t;
struct qemu_plugin_tb;
struct qemu_plugin_insn;
enum qemu_plugin_op { QEMU_PLUGIN_INLINE_ADD_U64 };
using TranslationCallback = void (*)(qemu_plugin_id_t, qemu_plugin_tb*);
using ExitCallback = void (*)(qemu_plugin_id_t, void*);

void qemu_plugin_register_vcpu_tb_trans_cb(qemu_plugin_id_t, TranslationCallback);
size_t qemu_plugin_tb_n_insns(const qemu_plugin_tb*);
void qemu_plugin_register_vcpu_tb_exec_inline(qemu_plugin_tb*, qemu_plugin_op, void*, uint64_t);
void qemu_plugin_register_atexit_cb(qemu_plugin_id_t, ExitCallback, void*);
qemu_plugin_insn* qemu_plugin_tb_get_insn(const qemu_plugin_tb*, size_t);
const void* qemu_plugin_insn_data(const qemu_plugin_insn*);
size_t qemu_plugin_insn_size(const qemu_plugin_insn*);
void qemu_plugin_register_vcpu_insn_exec_inline(qemu_plugin_insn*, qemu_plugin_op, void*, uint64_t);

__attribute__((visibility("default"))) int qemu_plugin_version = 1;

namespace {

uint64_t executed = 0;
uint64_t squareRoots = 0;

// fsqrt is D9 FA; sqrtsd and sqrtss are F2 or F3, perhaps a REX byte, 0F 51.
bool IsSquareRoot(const qemu_plugin_insn* instruction)
{
    const auto* bytes = static_cast<const uint8_t*>(qemu_plugin_insn_data(instruction));
    const size_t size = qemu_plugin_insn_size(instruction);
    if (size == 2 && bytes[0] == 0xD9 && bytes[1] == 0xFA)
        return true;
    if (size < 4 || (bytes[0] != 0xF2 && bytes[0] != 0xF3))
        return false;
    const size_t opcode = (bytes[1] & 0xF0) == 0x40 ? 2 : 1;
    return bytes[opcode] == 0x0F && bytes[opcode + 1] == 0x51;
}

// Each translated block adds its instruction count whenever it runs.
void Translated(qemu_plugin_id_t, qemu_plugin_tb* block)
{
    const size_t count = qemu_plugin_tb_n_insns(block);
    qemu_plugin_register_vcpu_tb_exec_inline(block, QEMU_PLUGIN_INLINE_ADD_U64, &executed, count);
    for (size_t i = 0; i < count; ++i) {
        qemu_plugin_insn* instruction = qemu_plugin_tb_get_insn(block, i);
        if (IsSquareRoot(instruction))
            qemu_plugin_register_vcpu_insn_exec_inline(instruction, QEMU_PLUGIN_INLINE_ADD_U64, &squareRoots, 1);
    }
}

void Exited(qemu_plugin_id_t, void*)
{
    std::fprintf(stderr, "instructions %" PRIu64 "\nsquare-roots %" PRIu64 "\n", executed, squareRoots);
}

} // namespace

__attribute__((visibility("default"))) int qemu_plugin_install(qemu_plugin_id_t id, const void*, int, char**)
{
    qemu_plugin_register_vcpu_tb_trans_cb(id, Translated);
    qemu_plugin_register_atexit_cb(id, Exited, nullptr);
    return 0;
}

} // extern "C"
