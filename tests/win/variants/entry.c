/* Entry point of the resource-only string-table DLLs: they hold no code otherwise. */
int __stdcall VariantEntry(void* instance, unsigned long reason, void* reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return 1;
}
