// Becomes the stand-in korvud, with the arguments and environment the suite
// gives its daemon.
#include <cstdio>
#include <unistd.h>

int main(int, char *argv[])
{
    execv(STANDIN_KORVUD, argv);
    std::perror("own-korvud: " STANDIN_KORVUD);
    return 127;
}
