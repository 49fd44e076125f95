/* Preloaded into the sanitizer run: shared objects stay mapped until the
 * process ends, so that LeakSanitizer can still name the libVLC plugin that
 * made an allocation (a plugin unloaded at libvlc_release shows as an unknown
 * module, which no suppression can match). */
int dlclose(void* handle)
{
    (void)handle;
    return 0;
}
