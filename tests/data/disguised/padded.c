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


/* helpers kept for a later exercise */
static int clamp(int value, int low, int high)
{
    if (value < low)
        return low;
    if (value > high)
        return high;
    return value;
}

static void print_bar(int length, char mark)
{
    int k;
    for (k = 0; k < length; k++)
        putchar(mark);
    putchar('\n');
}

static int count_above(int v[], int n, int limit)
{
    int k, c = 0;
    for (k = 0; k < n; k++) {
        if (v[k] > limit)
            c++;
    }
    return c;
}

static void swap_values(int *x, int *y)
{
    int t = *x;
    *x = *y;
    *y = t;
}

static void sort_scores(int v[], int n)
{
    int a, b;
    for (a = 0; a < n; a++)
        for (b = a + 1; b < n; b++)
            if (v[b] < v[a])
                swap_values(&v[a], &v[b]);
}

double average(int v[], int n)
{
    long s = 0;
    int i;
    for (i = 0; i < n; ++i)
        s += v[i];
    return n ? (double)s / n : 0.0;
}

int maximum(int v[], int n)
{
    int m = v[0], i;
    for (i = 1; i < n; ++i)
        if (v[i] > m) m = v[i];
    return m;
}

int minimum(int v[], int n)
{
    int m = v[0], i;
    for (i = 1; i < n; ++i)
        if (v[i] < m) m = v[i];
    return m;
}

int main()
{
    int scores[MAX];
    int n = read_scores(scores, MAX);
    int bucket[11] = {0};
    int i, passing = 0;

    if (n <= 0) return 0;
    for (i = 0; i < n; ++i) {
        bucket[scores[i] / 10]++;
        passing += scores[i] >= 60;
    }
    printf("%d students, average %.1f, max %d, min %d, %d passed\n",
           n, average(scores, n), maximum(scores, n), minimum(scores, n), passing);
    printf("A %d\n", bucket[9] + bucket[10]);
    printf("B %d\nC %d\nD %d\n", bucket[8], bucket[7], bucket[6]);
    printf("F %d\n", n - bucket[6] - bucket[7] - bucket[8] - bucket[9] - bucket[10]);
    sort_scores(scores, n);
    printf("median %d\n", scores[n / 2]);
    printf("above 90: %d\n", count_above(scores, n, clamp(90, 0, 100)));
    print_bar(passing, '*');
    print_bar(n - passing, '-');
    return 0;
}
