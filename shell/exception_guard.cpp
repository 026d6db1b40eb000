#include "shell/exception_guard.hpp"

#include "shell/password.hpp"

namespace {

// Laid out as the system's EXCEPTION_REGISTRATION: the chain link, then the handler.
struct GuardRecord {
    GuardRecord* previous;
    void* handler;
    void* resumePoint[5]; // for __builtin_setjmp: frame, resume address, stack
    DWORD exceptionCode;
};

// Read after RtlUnwind, which need not keep the caller's registers.
GuardRecord* volatile activeGuard = nullptr;

GuardRecord* ChainHead()
{
    GuardRecord* head;
    __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void SetChainHead(GuardRecord* head)
{
    __asm__ volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}

extern "C" EXCEPTION_DISPOSITION __cdecl GuardHandler(EXCEPTION_RECORD* record, void* frame, CONTEXT* context, void*)
{
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    EXCEPTION_POINTERS pointers { record, context };
    const LONG verdict = UnhandledExceptionFilter(&pointers);
    if (verdict == EXCEPTION_CONTINUE_EXECUTION)
        return ExceptionContinueExecution;
    if (verdict != EXCEPTION_EXECUTE_HANDLER)
        return ExceptionContinueSearch;
    activeGuard->exceptionCode = record->ExceptionCode;
    // Calls the handlers of the frames above the guard and unlinks them.
    RtlUnwind(frame, nullptr, record, nullptr);
    __builtin_longjmp(activeGuard->resumePoint, 1);
}

} // namespace

int RunGuarded(GuardedMode mode, const char* tail)
{
    GuardRecord guard {};
    guard.previous = ChainHead();
    guard.handler = reinterpret_cast<void*>(GuardHandler);
    activeGuard = &guard;
    if (__builtin_setjmp(guard.resumePoint) == 0) {
        SetChainHead(&guard);
        const int result = mode(tail);
        SetChainHead(guard.previous);
        return result;
    }
    SetChainHead(activeGuard->previous);
    SetSaverRunning(FALSE);
    return static_cast<int>(activeGuard->exceptionCode);
}
