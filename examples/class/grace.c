#include <stdio.h>

#define MAX 100

/* 老师提供：读入成绩，以 -1 结束，返回人数 */
int read_scores(int scores[], int max)
{
    int n = 0, x;
    while (n < max && scanf("%d", &x) == 1 && x != -1) {
        scores[n] = x;
        n = n + 1;
    }
    return n;
}

int main()
{
    int scores[MAX];
    int n = read_scores(scores, MAX);
    int *p, *end = scores + n;
    int total = 0, hi = 0, lo = 100, ok = 0;
    int g[5] = {0};
    const int limits[4] = {90, 80, 70, 60};

    for (p = scores; p < end; p++) {
        int j = 0;
        total += *p;
        hi = *p > hi ? *p : hi;
        lo = *p < lo ? *p : lo;
        ok += (*p >= 60);
        while (j < 4 && *p < limits[j])
            j++;
        g[j]++;
    }
    if (n)
        printf("n=%d mean=%.3f hi=%d lo=%d ok=%d\n", n, (float)total / n, hi, lo, ok);
    printf("A=%d B=%d C=%d D=%d F=%d\n", g[0], g[1], g[2], g[3], g[4]);
    return 0;
}
