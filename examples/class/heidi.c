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

int in_range(int v[], int len, int from, int to)
{
    int k, total = 0;
    for (k = 0; k < len; k++)
        if (v[k] >= from && v[k] <= to)
            total++;
    return total;
}

/* 插入排序，从大到小 */
void order(int v[], int len)
{
    int k, m, t;
    for (k = 1; k < len; k++) {
        t = v[k];
        m = k - 1;
        while (m >= 0 && v[m] < t) {
            v[m + 1] = v[m];
            m--;
        }
        v[m + 1] = t;
    }
}

int main()
{
    int scores[MAX];
    int n = read_scores(scores, MAX);
    int k;
    float total = 0;

    if (!n) {
        puts("no scores given");
        return 0;
    }
    order(scores, n);
    for (k = 0; k < n; k++)
        total += scores[k];
    printf("%d students, average %.2f\n", n, total / n);
    printf("highest %d lowest %d\n", scores[0], scores[n - 1]);
    printf("pass: %d\n", in_range(scores, n, 60, 100));
    printf("A:%d B:%d C:%d D:%d F:%d\n", in_range(scores, n, 90, 100),
           in_range(scores, n, 80, 89), in_range(scores, n, 70, 79),
           in_range(scores, n, 60, 69), in_range(scores, n, 0, 59));
    return 0;
}
