/* The whole-process reference for bench_discscan: what a program built only on libbluray does
 * to list a disc's titles, from its start to its exit. Prints the title count, so the bench can
 * check that it read the disc. */
#include <libbluray/bluray.h>
#include <libbluray/log_control.h>
#include <stdio.h>

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s DISC\n", argv[0]);
        return 2;
    }
    bd_set_debug_mask(0);
    BLURAY *bd = bd_open(argv[1], NULL);
    if (!bd) {
        return 1;
    }
    const uint32_t count = bd_get_titles(bd, TITLES_RELEVANT, 0);
    for (uint32_t i = 0; i < count; ++i) {
        bd_free_title_info(bd_get_title_info(bd, i, 0));
    }
    bd_close(bd);
    printf("%u\n", count);
    return 0;
}
