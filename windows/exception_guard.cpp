#include "windows/exception_guard.hpp"

#include "windows/password.hpp"

#if defined(__i386__)

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

#else

namespace {

// A 64-bit process has no frame chain at fs:[0]. The guard becomes the
// process's top-level filter, which the system calls once no frame has
// handled a fault, and acts only for the thread that entered it: the
// multimedia timer's thread is no more guarded than in a 32-bit process.
struct GuardRecord {
    void* resumePoint[5]; // for __builtin_setjmp: frame, resume address, stack
    DWORD threadId;
    DWORD exceptionCode;
};

GuardRecord* volatile activeGuard = nullptr;

LONG WINAPI GuardFilter(EXCEPTION_POINTERS* pointers)
{
    GuardRecord* guard = activeGuard;
    if (guard == nullptr || guard->threadId != GetCurrentThreadId())
        return EXCEPTION_CONTINUE_SEARCH;
    // Out of the way, so that the system's filter does what it does for an
    // unguarded fault, its debugger included, instead of calling this again.
    SetUnhandledExceptionFilter(nullptr);
    const LONG verdict = UnhandledExceptionFilter(pointers);
    if (verdict != EXCEPTION_EXECUTE_HANDLER)
        return verdict;
    guard->exceptionCode = pointers->ExceptionRecord->ExceptionCode;
    __builtin_longjmp(guard->resumePoint, 1);
}

} // namespace

int RunGuarded(GuardedMode mode, const char* tail)
{
    GuardRecord guard {};
    guard.threadId = GetCurrentThreadId();
    activeGuard = &guard;
    if (__builtin_setjmp(guard.resumePoint) == 0) {
        const LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(GuardFilter);
        const int result = mode(tail);
        SetUnhandledExceptionFilter(previous);
        activeGuard = nullptr;
        return result;
    }
    const DWORD exceptionCode = activeGuard->exceptionCode;
    activeGuard = nullptr;
    SetSaverRunning(FALSE);
    return static_cast<int>(exceptionCode);
}

#endif
