#include <stdio.h>

#define MAX 100

/* reads marks until -1 */
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

/* smallest mark */
int lowest(int marks[], int count)
{
    int best = marks[0], k;
    for (k = 1; k < count; ++k)
        if (marks[k] < best) best = marks[k];
    return best;
}

/* largest mark */
int highest(int marks[], int count)
{
    int best = marks[0], k;
    for (k = 1; k < count; ++k)
        if (marks[k] > best) best = marks[k];
    return best;
}

/* the mean of all marks */
double mean_of(int marks[], int count)
{
    long total = 0;
    int k;
    for (k = 0; k < count; ++k)
        total += marks[k];
    return count ? (double)total / count : 0.0;
}

int main()
{
    int marks[MAX];
    int count = read_scores(marks, MAX);
    int k, ok = 0;
    int tens[11] = {0};

    if (count <= 0) return 0;
    for (k = 0; k < count; ++k) {
        ok += marks[k] >= 60;
        tens[marks[k] / 10]++;
    }
    printf("%d students, average %.1f, max %d, min %d, %d passed\n",
           count, mean_of(marks, count), highest(marks, count), lowest(marks, count), ok);
    printf("A %d\n", tens[9] + tens[10]);
    printf("B %d\nC %d\nD %d\n", tens[8], tens[7], tens[6]);
    printf("F %d\n", count - tens[6] - tens[7] - tens[8] - tens[9] - tens[10]);
    sort_scores(marks, count);
    printf("median %d\n", marks[count / 2]);
    print_bar(ok, '*');
    return 0;
}
