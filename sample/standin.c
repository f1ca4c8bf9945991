/* Entry point of the shared-library stand-ins (MFC42.DLL, MSVCRT.DLL, OLEAUT32.DLL). They carry
   only a version resource and import nothing: a stand-in named MSVCRT.DLL must not itself
   depend on the C run-time library it is named after. */
int __stdcall StandInEntry(void* instance, unsigned long reason, void* reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return 1;
}
