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

int sum_of(const int *a, int n) { return n == 0 ? 0 : a[0] + sum_of(a + 1, n - 1); }
int max_of(const int *a, int n) { int r; if (n == 1) return a[0]; r = max_of(a + 1, n - 1); return a[0] > r ? a[0] : r; }
int min_of(const int *a, int n) { int r; if (n == 1) return a[0]; r = min_of(a + 1, n - 1); return a[0] < r ? a[0] : r; }

int main()
{
    int scores[MAX];
    int n = read_scores(scores, MAX);
    int i, pass = 0, grade[5] = {0};

    if (n < 1) { printf("0 scores\n"); return 0; }
    for (i = 0; i < n; i++) {
        int t = (100 - scores[i]) / 10;
        if (scores[i] >= 60) pass++;
        grade[t > 4 ? 4 : t == 0 ? 0 : t - (scores[i] % 10 == 0 && scores[i] != 100 ? 1 : 0) ] ++;
    }
    printf("count=%d avg=%.2f max=%d min=%d pass=%d\n", n, sum_of(scores, n) / (double)n,
           max_of(scores, n), min_of(scores, n), pass);
    printf("A=%d B=%d C=%d D=%d F=%d\n", grade[0], grade[1], grade[2], grade[3], grade[4]);
    return 0;
}
