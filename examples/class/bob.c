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

/* 等级 */
char level(int s)
{
    if (s >= 90) return 'A';
    if (s >= 80) return 'B';
    if (s >= 70) return 'C';
    if (s >= 60) return 'D';
    return 'F';
}

/* 最高分与最低分 */
void top_bottom(int a[], int len, int *best, int *worst)
{
    int k;
    *best = a[0];
    *worst = a[0];
    for (k = 1; k < len; k++) {
        if (a[k] > *best)
            *best = a[k];
        if (a[k] < *worst)
            *worst = a[k];
    }
}

int main()
{
    int scores[MAX];
    int n = read_scores(scores, MAX);
    int k, total = 0, ok = 0, best, worst;
    int num[5] = {0, 0, 0, 0, 0};
    char names[] = "ABCDF";

    if (n == 0) {
        printf("no data\n");
        return 0;
    }
    for (k = 0; k < n; k++) {
        total += scores[k];
        if (scores[k] >= 60)
            ok++;
        switch (level(scores[k])) {
        case 'A': num[0]++; break;
        case 'B': num[1]++; break;
        case 'C': num[2]++; break;
        case 'D': num[3]++; break;
        default: num[4]++; break;
        }
    }
    top_bottom(scores, n, &best, &worst);
    printf("students %d mean %.2f\n", n, (double)total / n);
    printf("max %d min %d pass %d\n", best, worst, ok);
    for (k = 0; k < 5; k++)
        printf("%c: %d\n", names[k], num[k]);
    return 0;
}
